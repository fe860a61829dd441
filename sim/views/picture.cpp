#include "picture.h"

#include "story.h"
#include "trace_words.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace sim {

namespace {

// The module's scan bound: the trace shows the separations it compared, not
// the bound itself, so the picture states it.
constexpr double scanBound = 16.0;

// Frames without a milestone for longer than this fold into a narrow break,
// as the story prints a run of repeated passes once (the same gap).
constexpr std::uint64_t quietGap = 40;
// Frames kept at full width on each side of a milestone.
constexpr std::uint64_t framePad = 3;

// ---------------------------------------------------------------- reading

Vec3 resultVec(const TraceEntry& e) {
    return {std::bit_cast<float>(static_cast<std::uint32_t>(e.result[0])),
            std::bit_cast<float>(static_cast<std::uint32_t>(e.result[1])),
            std::bit_cast<float>(static_cast<std::uint32_t>(e.result[2]))};
}

Vec3 argVec(const TraceEntry& e, std::size_t first) {
    return {e.floatArg(first), e.floatArg(first + 1), e.floatArg(first + 2)};
}

struct Trough {
    int handle = 0;
    std::uint32_t model = 0;
    std::optional<Vec3> at;
    bool atFromTrace = false;
    std::optional<Vec3> forward;
    bool forwardFromTrace = false;
};

struct Placed {
    int handle = 0;
    Vec3 at{};
    std::optional<float> heading;
};

struct Scanned {
    int handle = 0;
    Vec3 at{};
    float separation = 0.0F;
};

struct Search {
    Vec3 centre{};
    float radius = 0.0F;
};

// What the top view draws: the first placement and what the module read just
// before it, and the scan of the pass that offered the prompt.
struct TopView {
    std::uint64_t frame = 0;
    int player = 0;
    std::optional<Vec3> playerBefore;
    std::optional<Search> search;
    std::optional<Vec3> standing; // where the ground probe looked
    std::vector<Placed> placed;
    std::vector<Trough> troughs;
    // The trough whose position the module read last: the one it placed at.
    int usedTrough = 0;

    std::uint64_t offerFrame = 0;
    std::optional<Vec3> scanCentre;
    std::vector<Scanned> scanned;
    int groupTarget = 0;
    int group = -1;
};

// Frames are half open: a span covers [from, to).
struct Span {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::string kind; // the CSS class
    std::string label;
};

struct Mark {
    std::uint64_t frame = 0;
    std::string kind;
    std::string label;
    double radius = 4.0;
};

struct Lane {
    std::string name;
    std::vector<Span> spans;
    std::vector<Mark> marks;
};

enum LaneId : std::uint8_t {
    PromptLane,
    PatronLane,
    ArthurLane,
    MoveLane,
    PhaseLane,
    SplashLane,
    VoiceLane,
    PauseLane,
    KnockoutLane,
    ThrowLane,
    LaneCount,
};

struct Timeline {
    std::vector<Lane> lanes;
    std::uint64_t first = 0;
    std::uint64_t end = 1; // one past the last frame
    std::map<std::uint64_t, std::uint32_t> gameTimes;
};

// Reads the trace once, in order, the way the narrator does, into what the
// picture draws.
class Reader {
public:
    Reader(const Host& host, const std::map<int, std::string>& roles) : host_(host), roles_(roles) {
        timeline_.lanes.resize(LaneCount);
        timeline_.lanes[PromptLane].name = "prompt";
        timeline_.lanes[PatronLane].name = "dictionary 1";
        timeline_.lanes[ArthurLane].name = "dictionary 2";
        timeline_.lanes[MoveLane].name = "drowning move";
        timeline_.lanes[PhaseLane].name = "grapple phase";
        timeline_.lanes[SplashLane].name = "splashes";
        timeline_.lanes[VoiceLane].name = "voice lines";
        timeline_.lanes[PauseLane].name = "pauses";
        timeline_.lanes[KnockoutLane].name = "knockout finish";
        timeline_.lanes[ThrowLane].name = "breakout throw";
    }

    void run() {
        if (host_.trace.empty()) {
            return;
        }
        timeline_.first = host_.trace.front().frame;
        for (const TraceEntry& entry : host_.trace) {
            if (entry.frame != frame_) {
                settlePrompts(frame_);
                frame_ = entry.frame;
            }
            timeline_.gameTimes.try_emplace(entry.frame, entry.gameTime);
            followPause(entry);
            if (entry.kind == TraceEntry::Kind::GetAllPeds) {
                scan_.clear();
            } else if (entry.kind == TraceEntry::Kind::Native) {
                read(entry);
            }
        }
        timeline_.end = frame_ + 1;
        settlePrompts(frame_);
        endPause();
        // Whatever is still open lasts to the end of the run.
        while (!open_.empty()) {
            close(open_.begin()->first, timeline_.end);
        }
        closeObserved();
    }

    [[nodiscard]] const std::optional<TopView>& topView() const { return top_; }
    [[nodiscard]] const Timeline& timeline() const { return timeline_; }

private:
    [[nodiscard]] std::string who(int handle) const { return roleOf(roles_, handle); }

    Lane& lane(LaneId id) { return timeline_.lanes[id]; }

    void mark(LaneId id, const TraceEntry& e, const std::string& kind, const std::string& label,
              double radius = 4.0) {
        lane(id).marks.push_back({e.frame, kind, label, radius});
    }

    // A lane holds one state at a time; a new one ends the last.
    void open(LaneId id, std::uint64_t frame, const std::string& kind, const std::string& label) {
        close(id, frame);
        open_[id] = {frame, kind, label};
    }
    void close(LaneId id, std::uint64_t frame) {
        const auto found = open_.find(id);
        if (found == open_.end()) {
            return;
        }
        if (found->second.from < frame) {
            lane(id).spans.push_back(
                {found->second.from, frame, found->second.kind, found->second.label});
        }
        open_.erase(found);
    }

    // An answer seen on a frame extends the span of the same answer seen on
    // the frame before; a gap (a pause, or another answer) starts a new one.
    void observe(LaneId id, std::uint64_t frame, const std::string& kind,
                 const std::string& label) {
        for (Observed& seen : observed_) {
            if (seen.lane == id && seen.label == label && seen.span.to >= frame) {
                seen.span.to = frame + 1;
                return;
            }
        }
        observed_.push_back({id, label, {frame, frame + 1, kind, label}});
    }
    void closeObserved() {
        for (Observed& seen : observed_) {
            lane(seen.lane).spans.push_back(seen.span);
        }
        observed_.clear();
    }

    // The prompt's state at the end of each frame: what the player saw then.
    void settlePrompts(std::uint64_t frame) {
        for (auto& [id, state] : prompts_) {
            std::string kind;
            if (!state.deleted && state.registered) {
                kind = !state.visible  ? "prompt-hidden"
                       : state.enabled ? "prompt-offered"
                                       : "prompt-held";
            }
            if (kind != state.kind) {
                close(PromptLane, frame);
                if (!kind.empty()) {
                    open(PromptLane, frame, kind,
                         kind == "prompt-offered" ? "offered"
                         : kind == "prompt-held"  ? "held back"
                                                  : "hidden");
                }
                state.kind = kind;
            }
        }
    }

    void read(const TraceEntry& e) {
        const std::string label = nativeLabel(e.hash);
        readPlacement(e, label);
        readTimeline(e, label);
    }

    void readPlacement(const TraceEntry& e, const std::string& label) {
        if (label == "PLAYER_PED_ID") {
            player_ = static_cast<std::int32_t>(e.result[0]);
        } else if (label == "GET_ENTITY_COORDS") {
            coordsOf_ = e.intArg(0);
            coords_[coordsOf_] = resultVec(e);
            if (std::any_of(troughs_.begin(), troughs_.end(),
                            [this](const Trough& t) { return t.handle == coordsOf_; })) {
                usedTrough_ = coordsOf_;
            }
        } else if (label == "POINT_SEPARATION") {
            // The scan measures each pedestrian right after reading its
            // position: the first point is the player's, the second theirs.
            scanCentre_ = argVec(e, 0);
            scan_.push_back({coordsOf_, argVec(e, 3),
                             std::bit_cast<float>(static_cast<std::uint32_t>(e.result[0]))});
        } else if (label == "PROMPT_REGISTER_END" && !offered_) {
            offered_ = true;
            offerFrame_ = e.frame;
            offerScan_ = scan_;
            offerCentre_ = scanCentre_;
        } else if (label == "PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY") {
            groupAsked_ = e.intArg(0);
        } else if (label == "PROMPT_SET_GROUP" && top_ == std::nullopt) {
            groupTarget_ = groupAsked_;
            group_ = e.intArg(1);
        } else if (label == "GET_CLOSEST_OBJECT_OF_TYPE") {
            search_ = Search{argVec(e, 0), e.floatArg(3)};
            const int found = static_cast<std::int32_t>(e.result[0]);
            if (found != 0 &&
                std::none_of(troughs_.begin(), troughs_.end(),
                             [found](const Trough& t) { return t.handle == found; })) {
                troughs_.push_back({found, e.uintArg(4), {}, false, {}, false});
            }
        } else if (label == "GET_ENTITY_FORWARD_VECTOR") {
            for (Trough& trough : troughs_) {
                if (trough.handle == e.intArg(0)) {
                    trough.forward = resultVec(e);
                    trough.forwardFromTrace = true;
                }
            }
        } else if (label == "GET_GROUND_Z_FOR_3D_COORD") {
            probe_ = argVec(e, 0);
        } else if (label == "SET_ENTITY_COORDS") {
            if (top_ == std::nullopt) {
                beginTopView(e);
            }
            if (top_->frame == e.frame) {
                placedAt(e.intArg(0)).at = argVec(e, 1);
            }
        } else if (label == "SET_ENTITY_HEADING") {
            if (top_ != std::nullopt && top_->frame == e.frame) {
                placedAt(e.intArg(0)).heading = e.floatArg(1);
            }
        }
    }

    // The first placement: what the module had read just before it.
    void beginTopView(const TraceEntry& e) {
        TopView view;
        view.frame = e.frame;
        view.player = player_;
        if (const auto found = coords_.find(player_); found != coords_.end()) {
            view.playerBefore = found->second;
        }
        view.search = search_;
        view.standing = probe_;
        for (Trough trough : troughs_) {
            if (const auto found = coords_.find(trough.handle); found != coords_.end()) {
                trough.at = found->second;
                trough.atFromTrace = true;
            }
            // The trace holds a trough's forward vector only when the module
            // asked for it (a player right over the trough), and its position
            // only once the module read it; the world fills in the rest, so
            // the picture can show which way every trough faces.
            if (const Object* object = findObject(trough.handle)) {
                if (!trough.at) {
                    trough.at = object->position;
                }
                if (!trough.forward) {
                    trough.forward = object->forward;
                }
            }
            view.troughs.push_back(trough);
        }
        view.usedTrough = usedTrough_;
        view.offerFrame = offerFrame_;
        view.scanCentre = offerCentre_;
        view.scanned = offerScan_;
        view.groupTarget = groupTarget_;
        view.group = group_;
        top_ = std::move(view);
    }

    [[nodiscard]] const Object* findObject(int handle) const {
        for (const Object& object : host_.world.objects) {
            if (object.handle == handle) {
                return &object;
            }
        }
        return nullptr;
    }

    Placed& placedAt(int handle) {
        for (Placed& placed : top_->placed) {
            if (placed.handle == handle) {
                return placed;
            }
        }
        top_->placed.push_back({handle, {}, {}});
        return top_->placed.back();
    }

    void readTimeline(const TraceEntry& e, const std::string& label) {
        if (label == "PROMPT_REGISTER_END") {
            PromptState& state = prompts_[e.intArg(0)];
            state.registered = true;
            const Prompt* prompt = host_.world.findPrompt(e.intArg(0));
            mark(PromptLane, e, "offer",
                 prompt == nullptr
                     ? std::string("offered")
                     : formatText("offered: \"%s\" on %s, hold %d ms", prompt->label.c_str(),
                                  controlName(prompt->control).c_str(), prompt->holdMode));
        } else if (label == "PROMPT_SET_ENABLED") {
            prompts_[e.intArg(0)].enabled = e.intArg(1) != 0;
        } else if (label == "PROMPT_SET_VISIBLE") {
            prompts_[e.intArg(0)].visible = e.intArg(1) != 0;
        } else if (label == "PROMPT_HAS_HOLD_MODE_COMPLETED" && e.result[0] != 0) {
            mark(PromptLane, e, "hold", "hold completed");
        } else if (label == "PROMPT_DELETE") {
            PromptState& state = prompts_[e.intArg(0)];
            if (!state.deleted && state.registered) {
                mark(PromptLane, e, "deleted", "deleted");
            }
            state.deleted = true;
        } else if (label == "REQUEST_ANIM_DICT") {
            open(dictLane(e.stringArg(0)), e.frame, "dict-requested", "requested");
        } else if (label == "HAS_ANIM_DICT_LOADED" && e.result[0] != 0) {
            const LaneId id = dictLane(e.stringArg(0));
            if (open_.contains(id) && open_[id].kind == "dict-requested") {
                open(id, e.frame, "dict-loaded", "loaded");
            }
        } else if (label == "REMOVE_ANIM_DICT") {
            const LaneId id = dictLane(e.stringArg(0));
            close(id, e.frame);
            mark(id, e, "released", "released");
        } else if (label == "START_PAIRED_ACTION") {
            moveHash_ = e.uintArg(2);
            mark(MoveLane, e, "move-start",
                 hashedName(host_, e.uintArg(2)) + " started: " + who(e.intArg(0)) + " leads, " +
                     who(e.intArg(1)) + " follows");
        } else if (label == "IS_PED_IN_ACTION" && e.result[0] != 0 && e.intArg(0) == player_) {
            // The action asked about is the third argument.
            if (moveHash_ != 0 && e.uintArg(2) == moveHash_) {
                observe(MoveLane, e.frame, "move", "in the move");
            } else {
                std::string name = hashedName(host_, e.uintArg(2));
                if (name.starts_with("AR_GRAPPLE_")) {
                    name = name.substr(11);
                }
                observe(PhaseLane, e.frame, "phase", name);
            }
        } else if (label == "PLAY_PARTICLE_FX_ON_PED") {
            const auto scale = static_cast<double>(e.floatArg(9));
            mark(SplashLane, e, "splash", formatText("%g", scale), 2.0 + 6.0 * scale);
        } else if (label == "PLAY_PED_AMBIENT_SPEECH_NATIVE") {
            const std::string line = spokenLine(e.note);
            const auto known = std::find(lines_.begin(), lines_.end(), line);
            const auto index = static_cast<std::size_t>(known - lines_.begin());
            if (known == lines_.end()) {
                lines_.push_back(line);
            }
            mark(VoiceLane, e, formatText("voice%zu", std::min<std::size_t>(index, 2)), line);
        } else if (label.starts_with("KNOCKOUT_FINISH_")) {
            mark(KnockoutLane, e, "knockout", label.substr(16));
        } else if (label == "THROW_START") {
            mark(ThrowLane, e, "throw", who(e.intArg(0)) + " thrown");
        }
    }

    // The two drowning dictionaries get a lane each, in the order the module
    // first asked for them; any later one shares the second.
    LaneId dictLane(const std::string& name) {
        auto found = std::find(dicts_.begin(), dicts_.end(), name);
        if (found == dicts_.end()) {
            dicts_.push_back(name);
            found = dicts_.end() - 1;
            const LaneId id = dicts_.size() == 1 ? PatronLane : ArthurLane;
            if (dicts_.size() <= 2) {
                lane(id).name = "dictionary \"" + shortDictName(name) + "\"";
            }
        }
        return found == dicts_.begin() ? PatronLane : ArthurLane;
    }

    // A pause reads the game timer, then waits a frame and reads it again
    // until enough time has passed: a run of timer reads and waits only.
    void followPause(const TraceEntry& e) {
        const bool timer = e.kind == TraceEntry::Kind::Native &&
                           std::string_view(nativeLabel(e.hash)) == "GET_GAME_TIMER";
        if (timer) {
            const auto now = static_cast<std::uint32_t>(e.result[0]);
            if (pauseReads_ == 0) {
                pauseFrom_ = e.frame;
                pauseStart_ = now;
            }
            ++pauseReads_;
            pauseTo_ = e.frame;
            pauseNow_ = now;
        } else if (e.kind != TraceEntry::Kind::Wait) {
            endPause();
        }
    }
    void endPause() {
        if (pauseReads_ >= 2) {
            const auto elapsed = static_cast<std::int32_t>(pauseNow_ - pauseStart_);
            lane(PauseLane).spans.push_back({pauseFrom_, std::max(pauseTo_, pauseFrom_ + 1),
                                             "pause", formatText("%d ms", elapsed)});
        }
        pauseReads_ = 0;
    }

    struct OpenSpan {
        std::uint64_t from = 0;
        std::string kind;
        std::string label;
    };
    struct Observed {
        LaneId lane;
        std::string label;
        Span span;
    };
    struct PromptState {
        bool registered = false;
        bool enabled = false;
        bool visible = false;
        bool deleted = false;
        std::string kind;
    };

    const Host& host_;
    const std::map<int, std::string>& roles_;
    std::uint64_t frame_ = 0;

    int player_ = 0;
    int coordsOf_ = 0;
    std::map<int, Vec3> coords_;
    std::optional<Vec3> scanCentre_;
    std::vector<Scanned> scan_;
    bool offered_ = false;
    std::uint64_t offerFrame_ = 0;
    std::vector<Scanned> offerScan_;
    std::optional<Vec3> offerCentre_;
    int groupAsked_ = 0;
    int groupTarget_ = 0;
    int group_ = -1;
    std::optional<Search> search_;
    std::optional<Vec3> probe_;
    std::vector<Trough> troughs_;
    int usedTrough_ = 0;
    std::optional<TopView> top_;

    Timeline timeline_;
    std::map<LaneId, OpenSpan> open_;
    std::vector<Observed> observed_;
    std::map<int, PromptState> prompts_;
    std::vector<std::string> dicts_;
    std::vector<std::string> lines_;
    std::uint32_t moveHash_ = 0;
    int pauseReads_ = 0;
    std::uint64_t pauseFrom_ = 0;
    std::uint64_t pauseTo_ = 0;
    std::uint32_t pauseStart_ = 0;
    std::uint32_t pauseNow_ = 0;
};

// ---------------------------------------------------------------- drawing

constexpr double pageWidth = 1240.0;
constexpr double margin = 20.0;
constexpr double closeLeft = 80.0;
constexpr double closeTop = 84.0;
constexpr double closeSize = 560.0;
constexpr double scanLeft = 780.0;
constexpr double scanTop = 84.0;
constexpr double scanSize = 380.0;
constexpr double topViewHeight = 740.0;
constexpr double laneLabelWidth = 150.0;
constexpr double laneHeight = 44.0;
constexpr double foldWidth = 44.0;
constexpr double maxFrameWidth = 14.0;
constexpr double pi = 3.14159265358979323846;

const char* const style = R"(.page { fill: #fff; }
text { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 11px; fill: #222; }
.title { font-size: 16px; font-weight: bold; }
.heading { font-size: 13px; font-weight: bold; }
.note { font-size: 10px; fill: #555; }
.mono { font-family: 'DejaVu Sans Mono', monospace; font-size: 10px; }
.tick { font-size: 9px; fill: #666; }
.label { font-size: 10px; fill: #333; }
.frame { fill: none; stroke: #bbb; }
.grid { stroke: #ececec; }
.axis { stroke: #666; stroke-width: 1.5; fill: #666; }
.search { fill: #eef5fc; stroke: #4a7fc1; stroke-dasharray: 6 3; }
.bound { fill: #f7f3fc; stroke: #8a6bb8; stroke-dasharray: 6 4; }
.trough { fill: #8b5a2b; stroke: #4d3116; }
.forward { stroke: #8b5a2b; fill: #8b5a2b; stroke-width: 2; }
.approach { stroke: #999; stroke-dasharray: 2 3; }
.moved { stroke: #2b6cb0; stroke-dasharray: 1 3; stroke-width: 1.5; }
.before { fill: #fff; stroke: #2b6cb0; stroke-width: 2; }
.standing { stroke: #222; stroke-width: 2; }
.role-player { fill: #2b6cb0; stroke: #2b6cb0; stroke-width: 2.5; }
.role-victim { fill: #c53030; stroke: #c53030; stroke-width: 2.5; }
.role-other { fill: #777; stroke: #777; stroke-width: 2.5; }
.scanned { fill: #555; }
.group { fill: none; stroke: #d69e2e; stroke-width: 2.5; }
.lane { fill: #f6f7f9; }
.fold { fill: #e2e6ec; }
.foldline { stroke: #a0a8b4; }
.pause-band { fill: #e9edf3; }
.prompt-offered { fill: #38a169; }
.prompt-held { fill: #d69e2e; }
.prompt-hidden { fill: #a0aec0; }
.dict-requested { fill: #bee3f8; }
.dict-loaded { fill: #3182ce; }
.move { fill: #805ad5; }
.phase { fill: #b794f4; }
.pause { fill: #718096; }
.offer { fill: #38a169; }
.hold { fill: #276749; }
.deleted { stroke: #c53030; stroke-width: 2.5; }
.released { fill: #2c5282; }
.move-start { fill: #553c9a; }
.splash { fill: #63b3ed; fill-opacity: 0.55; stroke: #2b6cb0; }
.voice0 { fill: #2c5282; }
.voice1 { fill: #dd6b20; }
.voice2 { fill: #718096; }
.knockout { fill: #c53030; }
.throw { fill: #d69e2e; }
)";

// Page coordinates, to a tenth of a pixel.
std::string px(double value) {
    return formatText("%.1f", value);
}

// A placement value as the trace holds it: nine significant digits give back
// the very same float.
std::string exact(float value) {
    return formatText("%.9g", static_cast<double>(value));
}

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// ` name="value"`, the value escaped.
std::string attr(const char* name, const std::string& value) {
    return std::string(" ") + name + R"(=")" + escaped(value) + '"';
}

// A rough width of a text at the label size, for keeping labels apart.
double textWidth(const std::string& text) {
    return 6.0 * static_cast<double>(text.size());
}

class Svg {
public:
    std::string out;

    void raw(const std::string& text) {
        out += text;
        out += '\n';
    }
    void line(double x1, double y1, double x2, double y2, const std::string& cls) {
        raw("<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" +
            px(y2) + "\" class=\"" + cls + "\"/>");
    }
    void circle(double cx, double cy, double r, const std::string& cls,
                const std::string& title = "") {
        raw("<circle cx=\"" + px(cx) + "\" cy=\"" + px(cy) + "\" r=\"" + px(r) + "\" class=\"" +
            cls + "\"" + titled("circle", title));
    }
    void rect(double x, double y, double w, double h, const std::string& cls,
              const std::string& title = "") {
        raw("<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" +
            px(h) + "\" class=\"" + cls + "\"" + titled("rect", title));
    }
    void polygon(const std::vector<std::pair<double, double>>& points, const std::string& cls,
                 const std::string& title = "") {
        std::string list;
        for (const auto& [x, y] : points) {
            if (!list.empty()) {
                list += ' ';
            }
            list += px(x);
            list += ',';
            list += px(y);
        }
        raw("<polygon points=\"" + list + "\" class=\"" + cls + "\"" + titled("polygon", title));
    }
    void text(double x, double y, const std::string& content, const std::string& cls = "",
              const char* anchor = "start") {
        std::string open = "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\"";
        if (!cls.empty()) {
            open += " class=\"" + cls + "\"";
        }
        if (std::string_view(anchor) != "start") {
            open += std::string(" text-anchor=\"") + anchor + "\"";
        }
        raw(open + ">" + escaped(content) + "</text>");
    }
    // A line with a filled head at its end.
    void arrow(double x1, double y1, double x2, double y2, const std::string& cls,
               double head = 9.0) {
        const double length = std::hypot(x2 - x1, y2 - y1);
        if (length <= 0.0) {
            return;
        }
        const double ux = (x2 - x1) / length;
        const double uy = (y2 - y1) / length;
        const double bx = x2 - ux * head;
        const double by = y2 - uy * head;
        line(x1, y1, bx, by, cls);
        polygon({{x2, y2},
                 {bx - uy * head * 0.45, by + ux * head * 0.45},
                 {bx + uy * head * 0.45, by - ux * head * 0.45}},
                cls);
    }

private:
    // Closes an element, with a tooltip when there is a title.
    static std::string titled(const char* element, const std::string& title) {
        if (title.empty()) {
            return "/>";
        }
        return "><title>" + escaped(title) + "</title></" + element + ">";
    }
};

// World units onto a square of the page, to scale. The world's y axis points
// up and the page's down, so y is flipped here and nowhere else.
struct Plane {
    double left = 0.0;
    double top = 0.0;
    double size = 1.0;
    double minX = 0.0;
    double maxY = 0.0;
    double span = 1.0;

    [[nodiscard]] double x(double world) const { return left + (world - minX) / span * size; }
    [[nodiscard]] double y(double world) const { return top + (maxY - world) / span * size; }
    [[nodiscard]] double perUnit() const { return size / span; }
};

Plane fit(double left, double top, double size, const std::vector<Vec3>& points, double pad) {
    double minX = points.front().x;
    double maxX = minX;
    double minY = points.front().y;
    double maxY = minY;
    for (const Vec3& p : points) {
        minX = std::min(minX, static_cast<double>(p.x));
        maxX = std::max(maxX, static_cast<double>(p.x));
        minY = std::min(minY, static_cast<double>(p.y));
        maxY = std::max(maxY, static_cast<double>(p.y));
    }
    const double span = std::max({maxX - minX, maxY - minY, 0.5}) + 2.0 * pad;
    const double cx = (minX + maxX) / 2.0;
    const double cy = (minY + maxY) / 2.0;
    return {left, top, size, cx - span / 2.0, cy + span / 2.0, span};
}

// The grid in world units, numbered along the bottom (x) and the left (y),
// with the axes' directions marked so a flipped sign shows.
void drawGrid(Svg& svg, const Plane& plane) {
    double step = 0.1;
    for (const double candidate : {0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        step = candidate;
        if (plane.span / candidate <= 10.0) {
            break;
        }
    }
    const double right = plane.left + plane.size;
    const double bottom = plane.top + plane.size;
    for (double v = std::ceil(plane.minX / step) * step; v <= plane.minX + plane.span; v += step) {
        svg.line(plane.x(v), plane.top, plane.x(v), bottom, "grid");
        svg.text(plane.x(v), bottom + 14.0, formatText("%g", v), "tick", "middle");
    }
    const double minY = plane.maxY - plane.span;
    for (double v = std::ceil(minY / step) * step; v <= plane.maxY; v += step) {
        svg.line(plane.left, plane.y(v), right, plane.y(v), "grid");
        svg.text(plane.left - 5.0, plane.y(v) + 3.0, formatText("%g", v), "tick", "end");
    }
    svg.rect(plane.left, plane.top, plane.size, plane.size, "frame");
    svg.arrow(right - 60.0, bottom + 30.0, right, bottom + 30.0, "axis", 7.0);
    svg.text(right - 66.0, bottom + 34.0, "x", "label", "end");
    svg.arrow(plane.left - 44.0, plane.top + 60.0, plane.left - 44.0, plane.top, "axis", 7.0);
    svg.text(plane.left - 44.0, plane.top + 74.0, "y", "label", "middle");
}

// A unit direction on the page for a direction in the world (y flipped).
std::pair<double, double> pageDirection(double wx, double wy) {
    const double length = std::hypot(wx, wy);
    if (!(length > 0.0)) {
        return {0.0, 0.0};
    }
    return {wx / length, -wy / length};
}

void labelAt(Svg& svg, double x, double y, std::pair<double, double> away, double gap,
             const std::vector<std::string>& lines) {
    const double lx = x + away.first * gap;
    const double ly = y + away.second * gap + 4.0;
    const char* anchor = away.first > 0.3 ? "start" : away.first < -0.3 ? "end" : "middle";
    const double first =
        away.second < -0.3 ? ly - 12.0 * static_cast<double>(lines.size() - 1) : ly;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        svg.text(lx, first + 12.0 * static_cast<double>(i), lines[i], "label", anchor);
    }
}

std::string roleClass(const std::string& role) {
    return role == "player" ? "role-player" : role == "victim" ? "role-victim" : "role-other";
}

void drawCloseUp(Svg& svg, const TopView& view, const std::map<int, std::string>& roles,
                 const Host& host) {
    std::vector<Vec3> points;
    if (view.search) {
        const Vec3 c = view.search->centre;
        const float r = view.search->radius;
        points.push_back({c.x - r, c.y - r, c.z});
        points.push_back({c.x + r, c.y + r, c.z});
    }
    if (view.playerBefore) {
        points.push_back(*view.playerBefore);
    }
    if (view.standing) {
        points.push_back(*view.standing);
    }
    for (const Placed& placed : view.placed) {
        points.push_back(placed.at);
    }
    for (const Trough& trough : view.troughs) {
        if (trough.at) {
            points.push_back(*trough.at);
        }
    }
    const Plane plane = fit(closeLeft, closeTop, closeSize, points, 0.35);
    svg.text(closeLeft, closeTop - 30.0,
             formatText("At the trough: the placement of frame %llu, to scale",
                        static_cast<unsigned long long>(view.frame)),
             "heading");
    svg.text(closeLeft, closeTop - 14.0,
             "Top view in world units, +y up. Arrows: headings, degrees counter-clockwise from +x.",
             "note");
    drawGrid(svg, plane);

    const Trough* used = nullptr;
    for (const Trough& trough : view.troughs) {
        if (trough.handle == view.usedTrough) {
            used = &trough;
        }
    }
    if (view.search) {
        const Vec3 c = view.search->centre;
        const double r = static_cast<double>(view.search->radius) * plane.perUnit();
        svg.circle(plane.x(c.x), plane.y(c.y), r, "search");
        svg.text(plane.x(c.x), plane.y(c.y) - r - 6.0,
                 formatText("trough search, radius %g, around the player at the hold",
                            static_cast<double>(view.search->radius)),
                 "label", "middle");
    }
    if (view.playerBefore && used != nullptr && used->at) {
        svg.line(plane.x(view.playerBefore->x), plane.y(view.playerBefore->y), plane.x(used->at->x),
                 plane.y(used->at->y), "approach");
    }
    for (const Trough& trough : view.troughs) {
        if (!trough.at) {
            continue;
        }
        const double tx = plane.x(trough.at->x);
        const double ty = plane.y(trough.at->y);
        std::pair<double, double> facing{0.0, -1.0};
        if (trough.forward) {
            facing = pageDirection(trough.forward->x, trough.forward->y);
        }
        const double fx = facing.first;
        const double fy = facing.second;
        svg.raw("<g" + attr("class", "trough-at") +
                attr("data-handle", std::to_string(trough.handle)) +
                attr("data-model", hashedName(host, trough.model)) +
                attr("data-x", exact(trough.at->x)) + attr("data-y", exact(trough.at->y)) + ">");
        // The trough as a bar across the way it faces.
        const double half = 22.0;
        const double depth = 7.0;
        svg.polygon({{tx - fy * half + fx * depth, ty + fx * half + fy * depth},
                     {tx + fy * half + fx * depth, ty - fx * half + fy * depth},
                     {tx + fy * half - fx * depth, ty - fx * half - fy * depth},
                     {tx - fy * half - fx * depth, ty + fx * half - fy * depth}},
                    "trough");
        if (trough.forward) {
            svg.arrow(tx, ty, tx + fx * 60.0, ty + fy * 60.0, "forward");
        }
        svg.raw("</g>");
        std::pair<double, double> away{1.0, 0.0};
        if (view.playerBefore) {
            away = pageDirection(static_cast<double>(trough.at->x - view.playerBefore->x),
                                 static_cast<double>(trough.at->y - view.playerBefore->y));
        }
        std::vector<std::string> lines = {
            formatText("trough %d: %s", trough.handle, hashedName(host, trough.model).c_str()),
            formatText("at (%.2f, %.2f)", static_cast<double>(trough.at->x),
                       static_cast<double>(trough.at->y))};
        if (trough.forward) {
            lines.push_back(formatText("forward (%.2f, %.2f), %s",
                                       static_cast<double>(trough.forward->x),
                                       static_cast<double>(trough.forward->y),
                                       trough.forwardFromTrace ? "asked" : "from the world"));
        }
        labelAt(svg, tx, ty, away, 40.0, lines);
    }

    const Placed* player = nullptr;
    for (const Placed& placed : view.placed) {
        if (placed.handle == view.player) {
            player = &placed;
        }
    }
    if (view.playerBefore) {
        const double bx = plane.x(view.playerBefore->x);
        const double by = plane.y(view.playerBefore->y);
        if (player != nullptr) {
            svg.line(bx, by, plane.x(player->at.x), plane.y(player->at.y), "moved");
        }
        svg.circle(bx, by, 7.0, "before");
        std::pair<double, double> away{-0.7, 0.7};
        if (used != nullptr && used->at) {
            away = pageDirection(static_cast<double>(view.playerBefore->x - used->at->x),
                                 static_cast<double>(view.playerBefore->y - used->at->y));
        }
        labelAt(svg, bx, by, away, 16.0,
                {"player before the hold",
                 formatText("(%.2f, %.2f)", static_cast<double>(view.playerBefore->x),
                            static_cast<double>(view.playerBefore->y))});
    }
    if (view.standing) {
        const double sx = plane.x(view.standing->x);
        const double sy = plane.y(view.standing->y);
        svg.line(sx - 6.0, sy - 6.0, sx + 6.0, sy + 6.0, "standing");
        svg.line(sx - 6.0, sy + 6.0, sx + 6.0, sy - 6.0, "standing");
    }
    for (const Placed& placed : view.placed) {
        const std::string role = roleOf(roles, placed.handle);
        const double x = plane.x(placed.at.x);
        const double y = plane.y(placed.at.y);
        svg.raw("<g" + attr("class", "placed") +
                attr("data-handle", std::to_string(placed.handle)) + attr("data-role", role) +
                attr("data-x", exact(placed.at.x)) + attr("data-y", exact(placed.at.y)) +
                attr("data-z", exact(placed.at.z)) +
                (placed.heading ? attr("data-heading", exact(*placed.heading)) : "") + ">");
        if (placed.heading) {
            const double radians = static_cast<double>(*placed.heading) * pi / 180.0;
            svg.arrow(x, y, x + std::cos(radians) * 70.0, y - std::sin(radians) * 70.0,
                      roleClass(role), 12.0);
        }
        svg.circle(x, y, 7.0, roleClass(role));
        svg.raw("</g>");
        std::pair<double, double> away{0.0, 1.0};
        if (view.standing) {
            away = pageDirection(static_cast<double>(placed.at.x - view.standing->x),
                                 static_cast<double>(placed.at.y - view.standing->y));
        }
        labelAt(svg, x, y, away, 14.0,
                {role + " placed",
                 placed.heading ? formatText("heading %.1f", static_cast<double>(*placed.heading))
                                : std::string("no heading")});
    }
}

void drawScan(Svg& svg, const TopView& view, const std::map<int, std::string>& roles) {
    svg.text(scanLeft, scanTop - 30.0,
             formatText("The scan of frame %llu, when the prompt was offered",
                        static_cast<unsigned long long>(view.offerFrame)),
             "heading");
    if (!view.scanCentre) {
        svg.text(scanLeft, scanTop - 14.0, "No scan measured a pedestrian before the offer.",
                 "note");
        return;
    }
    svg.text(scanLeft, scanTop - 14.0,
             formatText("Pedestrians measured from the player; the bound is %g units.", scanBound),
             "note");
    const Vec3 c = *view.scanCentre;
    const auto bound = static_cast<float>(scanBound);
    std::vector<Vec3> points = {{c.x - bound, c.y - bound, c.z}, {c.x + bound, c.y + bound, c.z}};
    for (const Scanned& scanned : view.scanned) {
        points.push_back(scanned.at);
    }
    const Plane plane = fit(scanLeft, scanTop, scanSize, points, 1.5);
    drawGrid(svg, plane);
    const double r = scanBound * plane.perUnit();
    svg.circle(plane.x(c.x), plane.y(c.y), r, "bound");
    svg.text(plane.x(c.x), plane.y(c.y) - r - 5.0, formatText("scan bound %g", scanBound), "label",
             "middle");
    svg.circle(plane.x(c.x), plane.y(c.y), 5.0, "before");
    svg.text(plane.x(c.x), plane.y(c.y) + 18.0, "player", "label", "middle");
    for (const Scanned& scanned : view.scanned) {
        const double x = plane.x(scanned.at.x);
        const double y = plane.y(scanned.at.y);
        svg.circle(x, y, 3.5, "scanned");
        svg.text(x + 7.0, y - 7.0, std::to_string(scanned.handle), "label");
        if (scanned.handle == view.groupTarget) {
            svg.circle(x, y, 10.0, "group");
        }
    }

    double y = scanTop + scanSize + 60.0;
    svg.text(scanLeft, y,
             formatText("Measured from (%.2f, %.2f, %.2f):", static_cast<double>(c.x),
                        static_cast<double>(c.y), static_cast<double>(c.z)),
             "label");
    for (const Scanned& scanned : view.scanned) {
        y += 14.0;
        std::string row =
            formatText("%3d %-14s (%7.2f, %7.2f)  separation %6.3f", scanned.handle,
                       roleOf(roles, scanned.handle).c_str(), static_cast<double>(scanned.at.x),
                       static_cast<double>(scanned.at.y), static_cast<double>(scanned.separation));
        if (scanned.handle == view.groupTarget) {
            row += formatText("  <- prompt group %d", view.group);
        }
        svg.text(scanLeft, y, row, "mono");
    }
    if (view.groupTarget == 0) {
        svg.text(scanLeft, y + 14.0, "The prompt joined no pedestrian's prompt group.", "note");
    }
}

// What the symbols of the close-up stand for, and which calls they come from.
void drawLegend(Svg& svg, double top) {
    const double x = scanLeft;
    svg.text(x, top, "At the trough, from the trace:", "label");
    double y = top + 20.0;
    svg.circle(x + 8.0, y - 4.0, 6.0, "before");
    svg.text(x + 32.0, y, "player before the hold (GET_ENTITY_COORDS)", "label");
    y += 20.0;
    svg.circle(x + 8.0, y - 4.0, 6.0, "role-player");
    svg.arrow(x + 8.0, y - 4.0, x + 26.0, y - 4.0, "role-player", 7.0);
    svg.text(x + 32.0, y, "placed, heading (SET_ENTITY_COORDS, SET_ENTITY_HEADING)", "label");
    y += 20.0;
    svg.line(x + 3.0, y - 9.0, x + 13.0, y + 1.0, "standing");
    svg.line(x + 3.0, y + 1.0, x + 13.0, y - 9.0, "standing");
    svg.text(x + 32.0, y, "standing point (GET_GROUND_Z_FOR_3D_COORD)", "label");
    y += 20.0;
    svg.rect(x, y - 8.0, 16.0, 7.0, "trough");
    svg.text(x + 32.0, y, "trough (GET_CLOSEST_OBJECT_OF_TYPE, GET_ENTITY_COORDS)", "label");
    y += 20.0;
    svg.line(x, y - 4.0, x + 16.0, y - 4.0, "approach");
    svg.text(x + 32.0, y, "approach: player to trough; dotted: the player's move", "label");
}

void drawTopView(Svg& svg, const TopView& view, const std::map<int, std::string>& roles,
                 const Host& host) {
    svg.raw("<g id=\"top-view\">");
    drawCloseUp(svg, view, roles, host);
    drawScan(svg, view, roles);
    drawLegend(svg, scanTop + scanSize + 130.0);
    svg.raw("</g>");
}

// Frames onto the page, with the quiet stretches folded into narrow breaks.
class FrameAxis {
public:
    struct Piece {
        std::uint64_t from;
        std::uint64_t to;
        double x0;
        double x1;
        bool folded;
    };

    FrameAxis(const Timeline& timeline, double left, double right) {
        std::set<std::uint64_t> busy;
        for (const Lane& lane : timeline.lanes) {
            for (const Span& span : lane.spans) {
                busy.insert(span.from);
                busy.insert(span.to > span.from ? span.to - 1 : span.from);
            }
            for (const Mark& mark : lane.marks) {
                busy.insert(mark.frame);
            }
        }
        // Frames kept at full width, merged when close together.
        std::vector<std::pair<std::uint64_t, std::uint64_t>> kept;
        for (const std::uint64_t frame : busy) {
            const std::uint64_t from =
                frame > timeline.first + framePad ? frame - framePad : timeline.first;
            const std::uint64_t to = std::min(timeline.end, frame + framePad + 1);
            if (!kept.empty() && from <= kept.back().second + quietGap) {
                kept.back().second = std::max(kept.back().second, to);
            } else {
                kept.emplace_back(from, to);
            }
        }
        if (kept.empty()) {
            kept.emplace_back(timeline.first, std::min(timeline.end, timeline.first + quietGap));
        }
        std::uint64_t keptFrames = 0;
        std::size_t folds = 0;
        std::uint64_t at = timeline.first;
        for (const auto& [from, to] : kept) {
            folds += from > at ? 1U : 0U;
            keptFrames += to - from;
            at = to;
        }
        folds += at < timeline.end ? 1U : 0U;
        const double room = right - left - foldWidth * static_cast<double>(folds);
        frameWidth_ = std::min(maxFrameWidth, room / static_cast<double>(keptFrames));

        double x = left;
        at = timeline.first;
        for (const auto& [from, to] : kept) {
            if (from > at) {
                pieces.push_back({at, from, x, x + foldWidth, true});
                x += foldWidth;
            }
            const double width = frameWidth_ * static_cast<double>(to - from);
            pieces.push_back({from, to, x, x + width, false});
            x += width;
            at = to;
        }
        if (at < timeline.end) {
            pieces.push_back({at, timeline.end, x, x + foldWidth, true});
        }
    }

    // The left edge of a frame.
    [[nodiscard]] double x(std::uint64_t frame) const {
        for (const Piece& piece : pieces) {
            if (frame >= piece.from && frame < piece.to) {
                return piece.x0 + (piece.x1 - piece.x0) * static_cast<double>(frame - piece.from) /
                                      static_cast<double>(piece.to - piece.from);
            }
        }
        return pieces.back().x1;
    }
    // The middle of a frame, where its marks go.
    [[nodiscard]] double middle(std::uint64_t frame) const {
        return (x(frame) + x(frame + 1)) / 2.0;
    }

    std::vector<Piece> pieces;

private:
    double frameWidth_ = 1.0;
};

// The marks of one lane that share a frame and a kind are drawn once, with
// their labels joined ("1, 2, 3, 4").
std::vector<Mark> mergedMarks(const std::vector<Mark>& marks) {
    std::vector<Mark> merged;
    for (const Mark& mark : marks) {
        Mark* same = nullptr;
        for (Mark& existing : merged) {
            if (existing.frame == mark.frame && existing.kind == mark.kind) {
                same = &existing;
            }
        }
        if (same == nullptr) {
            merged.push_back(mark);
        } else if (same->label.find(mark.label) == std::string::npos) {
            same->label += ", " + mark.label;
            same->radius = std::max(same->radius, mark.radius);
        }
    }
    return merged;
}

void drawMark(Svg& svg, double x, double y, const Mark& mark) {
    const std::string title =
        formatText("frame %llu: ", static_cast<unsigned long long>(mark.frame)) + mark.label;
    if (mark.kind == "deleted") {
        svg.line(x - 5.0, y - 5.0, x + 5.0, y + 5.0, "deleted");
        svg.line(x - 5.0, y + 5.0, x + 5.0, y - 5.0, "deleted");
    } else if (mark.kind == "offer" || mark.kind == "move-start") {
        svg.polygon({{x - 5.0, y - 6.0}, {x + 6.0, y}, {x - 5.0, y + 6.0}}, mark.kind, title);
    } else if (mark.kind == "hold" || mark.kind == "voice1") {
        svg.polygon({{x, y - 6.0}, {x + 6.0, y}, {x, y + 6.0}, {x - 6.0, y}}, mark.kind, title);
    } else {
        svg.circle(x, y, mark.radius, mark.kind, title);
    }
}

void drawTimeline(Svg& svg, const Timeline& timeline, double top) {
    const double left = margin + laneLabelWidth;
    const double right = pageWidth - margin;
    const FrameAxis axis(timeline, left, right - 10.0);
    const double lanesTop = top + 40.0;
    const double lanesBottom = lanesTop + laneHeight * static_cast<double>(timeline.lanes.size());

    svg.raw("<g id=\"timeline\">");
    const auto timeAt = [&timeline](std::uint64_t frame) {
        const auto found = timeline.gameTimes.find(frame);
        return found == timeline.gameTimes.end() ? std::string() : std::to_string(found->second);
    };
    svg.text(margin, top,
             formatText("Timeline: frames %llu to %llu, game time %s to %s ms; quiet stretches "
                        "folded",
                        static_cast<unsigned long long>(timeline.first),
                        static_cast<unsigned long long>(timeline.end - 1),
                        timeAt(timeline.first).c_str(), timeAt(timeline.end - 1).c_str()),
             "heading");
    svg.text(margin, top + 16.0,
             "Shaded columns: the module pauses on the game clock, and the whole loop waits.",
             "note");

    for (std::size_t i = 0; i < timeline.lanes.size(); ++i) {
        const double y = lanesTop + laneHeight * static_cast<double>(i);
        svg.rect(left, y + 1.0, right - left, laneHeight - 2.0, "lane");
        svg.text(margin, y + 28.0, timeline.lanes[i].name, "label");
    }
    for (const Span& pause : timeline.lanes[PauseLane].spans) {
        svg.rect(axis.x(pause.from), lanesTop, axis.x(pause.to) - axis.x(pause.from),
                 lanesBottom - lanesTop, "pause-band");
    }
    for (const FrameAxis::Piece& piece : axis.pieces) {
        if (!piece.folded) {
            continue;
        }
        svg.rect(piece.x0 + 6.0, lanesTop, piece.x1 - piece.x0 - 12.0, lanesBottom - lanesTop,
                 "fold");
        svg.line(piece.x0 + 2.0, lanesBottom + 4.0, piece.x0 + 10.0, lanesTop - 4.0, "foldline");
        svg.line(piece.x1 - 10.0, lanesBottom + 4.0, piece.x1 - 2.0, lanesTop - 4.0, "foldline");
        const double mid = (piece.x0 + piece.x1) / 2.0;
        svg.text(mid, lanesBottom + 46.0, std::to_string(piece.to - piece.from), "tick", "middle");
        svg.text(mid, lanesBottom + 56.0, "folded", "tick", "middle");
    }

    for (std::size_t i = 0; i < timeline.lanes.size(); ++i) {
        const Lane& lane = timeline.lanes[i];
        const double y = lanesTop + laneHeight * static_cast<double>(i);
        const double shapeY = y + 24.0;
        // Labels go in a row above the shapes, or below them when the row
        // above is taken there; one that fits in neither is left out (every
        // shape keeps its full text as a tooltip), and so is a label that
        // repeats the one just before it in the same run.
        std::array<double, 2> labelEnd = {-1.0, -1.0};
        const std::array<double, 2> labelY = {y + 12.0, y + 38.0};
        std::string lastLabel;
        std::uint64_t lastLabelFrame = 0;
        const auto label = [&](double x, const std::string& text, std::uint64_t frame) {
            const bool repeat = text == lastLabel && frame <= lastLabelFrame + quietGap;
            for (std::size_t row = 0; row < labelEnd.size() && !repeat; ++row) {
                if (x >= labelEnd[row] + 6.0) {
                    svg.text(x, labelY[row], text, "label");
                    labelEnd[row] = x + textWidth(text);
                    lastLabel = text;
                    break;
                }
            }
            if (text == lastLabel) {
                lastLabelFrame = frame;
            }
        };
        struct Item {
            double x;
            std::string text;
            std::uint64_t frame;
        };
        std::vector<Item> labels;
        // Marks of different kinds on one frame stand side by side and share
        // one label ("hold completed, deleted").
        std::uint64_t lastFrame = 0;
        double shift = 0.0;
        for (const Mark& mark : mergedMarks(lane.marks)) {
            const bool sameFrame = !labels.empty() && mark.frame == lastFrame;
            shift = sameFrame ? shift + 12.0 : 0.0;
            const double x = axis.middle(mark.frame) + shift;
            drawMark(svg, x, shapeY, mark);
            if (sameFrame) {
                labels.back().text += ", " + mark.label;
            } else {
                labels.push_back({axis.x(mark.frame) - 1.0, mark.label, mark.frame});
            }
            lastFrame = mark.frame;
        }
        for (const Span& span : lane.spans) {
            const double x0 = axis.x(span.from);
            const double width = std::max(2.0, axis.x(span.to) - x0);
            svg.rect(x0, shapeY - 5.0, width, 10.0, span.kind,
                     formatText("frames %llu to %llu: ", static_cast<unsigned long long>(span.from),
                                static_cast<unsigned long long>(span.to - 1)) +
                         span.label);
            labels.push_back({x0, span.label, span.from});
        }
        // Marks before spans where both start on one frame: a mark says more.
        std::stable_sort(labels.begin(), labels.end(),
                         [](const Item& a, const Item& b) { return a.x < b.x; });
        for (const Item& item : labels) {
            label(std::min(item.x, right - textWidth(item.text)), item.text, item.frame);
        }
        if (lane.spans.empty() && lane.marks.empty()) {
            // Past a fold at the start, so the words stand on a clear lane.
            const double from = axis.pieces.front().folded ? axis.pieces.front().x1 : left;
            svg.text(from + 8.0, shapeY + 4.0, "none in this run", "note");
        }
    }

    // The frame axis: frame numbers, and the game time of each below.
    svg.line(left, lanesBottom + 4.0, right, lanesBottom + 4.0, "axis");
    svg.text(margin, lanesBottom + 18.0, "frame", "tick");
    svg.text(margin, lanesBottom + 30.0, "game time (ms)", "tick");
    double lastTick = -100.0;
    for (const FrameAxis::Piece& piece : axis.pieces) {
        if (piece.folded) {
            continue;
        }
        for (std::uint64_t frame = piece.from; frame < piece.to; ++frame) {
            const double x = axis.middle(frame);
            if ((frame != piece.from && frame % 10 != 0) || x < lastTick + 52.0) {
                continue;
            }
            svg.line(x, lanesBottom + 4.0, x, lanesBottom + 8.0, "axis");
            svg.text(x, lanesBottom + 18.0, std::to_string(frame), "tick", "middle");
            svg.text(x, lanesBottom + 30.0, timeAt(frame), "tick", "middle");
            lastTick = x;
        }
    }
    svg.raw("</g>");
}

} // namespace

std::string drawPicture(const Host& host, const std::map<int, std::string>& roles) {
    Reader reader(host, roles);
    reader.run();
    const std::optional<TopView>& view = reader.topView();
    const Timeline& timeline = reader.timeline();

    const double timelineTop = view ? topViewHeight : 84.0;
    const double height = timelineTop + 40.0 + laneHeight * static_cast<double>(LaneCount) + 70.0;

    Svg svg;
    svg.raw(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    svg.raw("<svg" + attr("xmlns", "http://www.w3.org/2000/svg") + attr("width", px(pageWidth)) +
            attr("height", px(height)) +
            attr("viewBox", "0 0 " + px(pageWidth) + " " + px(height)) + ">");
    svg.raw("<style>");
    svg.raw(style);
    svg.raw("</style>");
    svg.rect(0.0, 0.0, pageWidth, height, "page");
    svg.text(margin, 28.0, "What the module asked the game to do", "title");
    if (view) {
        drawTopView(svg, *view, roles, host);
    } else {
        svg.text(margin, 46.0, "No placement in this run, so no top view.", "note");
    }
    drawTimeline(svg, timeline, timelineTop);
    svg.raw("</svg>");
    return std::move(svg.out);
}

} // namespace sim
