#include "picture_model.h"

#include "story.h"
#include "trace_words.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace sim::picture {

namespace {

Vec3 resultVec(const TraceEntry& e) {
    return {std::bit_cast<float>(static_cast<std::uint32_t>(e.result[0])),
            std::bit_cast<float>(static_cast<std::uint32_t>(e.result[1])),
            std::bit_cast<float>(static_cast<std::uint32_t>(e.result[2]))};
}

Vec3 argVec(const TraceEntry& e, std::size_t first) {
    return {e.floatArg(first), e.floatArg(first + 1), e.floatArg(first + 2)};
}

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
            } else if (entry.kind == TraceEntry::Kind::Restart) {
                readRestart(entry);
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
    // The scan as it stands: at a placement, or at the end of a run without.
    [[nodiscard]] ScanView scanView() const {
        return {offerFrame_, offerCentre_, offerScan_, groupTarget_, group_};
    }
    [[nodiscard]] bool offered() const { return offered_; }
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

    // The game restarted its scripts: the prompts the ended run made are
    // gone.
    void readRestart(const TraceEntry& e) {
        ++restarts_;
        foreignTold_ = false;
        mark(PromptLane, e, "restart", formatText("the game restarts its scripts (%d)", restarts_));
        for (auto& [id, state] : prompts_) {
            state.deleted = true;
        }
    }

    void read(const TraceEntry& e) {
        const std::string label = nativeLabel(e.hash);
        // The first call since the last restart that names a prompt the
        // script did not make in its current run (the story tells each).
        if (!foreignTold_ && e.note.find(notTheScriptsPrompt) != std::string::npos) {
            foreignTold_ = true;
            mark(PromptLane, e, "gone",
                 formatText("finding: %s names prompt %d, not the script's", label.c_str(),
                            e.intArg(0)),
                 7.0);
        }
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
            if (const Object* object = host_.world.findObject(trough.handle)) {
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
        view.scan = scanView();
        top_ = std::move(view);
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
            // A new prompt, whatever an earlier one with its id went through.
            PromptState& state = prompts_[e.intArg(0)] = PromptState{};
            state.registered = true;
            const Prompt* prompt = host_.world.findPrompt(e.intArg(0), restarts_);
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
    int restarts_ = 0;
    bool foreignTold_ = false;
    int pauseReads_ = 0;
    std::uint64_t pauseFrom_ = 0;
    std::uint64_t pauseTo_ = 0;
    std::uint32_t pauseStart_ = 0;
    std::uint32_t pauseNow_ = 0;
};

} // namespace

Drawing readTrace(const Host& host, const std::map<int, std::string>& roles) {
    Reader reader(host, roles);
    reader.run();
    Drawing drawing{reader.topView(), reader.scanView(), reader.timeline()};
    if (drawing.topView || !reader.offered()) {
        drawing.scan.reset();
    }
    return drawing;
}

} // namespace sim::picture
