#include "story.h"

#include "joaat.h"
#include "trace_words.h"

#include <array>
#include <cstdio>
#include <unordered_map>

namespace sim {

namespace {

class Narrator {
public:
    Narrator(const Host& host, const std::map<int, std::string>& names)
        : host_(host), names_(names) {}

    std::vector<StoryLine> run() {
        for (const TraceEntry& entry : host_.trace) {
            if (entry.kind == TraceEntry::Kind::Native) {
                narrate(entry);
                narrateFinding(entry);
                narrateAfterRestart(entry);
            } else if (entry.kind == TraceEntry::Kind::Restart) {
                ++restarts_;
                newPromptTold_ = false;
                say(entry, formatText("the game restarts its scripts (restart %d): the script's "
                                      "fiber deleted where it stood, its prompts gone; its main "
                                      "starts again from the top",
                                      restarts_));
                narrateGamePrompts(entry);
            }
        }
        return std::move(story_);
    }

private:
    [[nodiscard]] std::string who(int handle) const { return roleOf(names_, handle); }

    void say(const TraceEntry& entry, std::string text) {
        story_.push_back({entry.frame, entry.gameTime, std::move(text)});
    }

    void narrate(const TraceEntry& e) {
        const std::string label = nativeLabel(e.hash);
        if (label == "PROMPT_REGISTER_END") {
            const Prompt* prompt = host_.world.findPrompt(e.intArg(0), restarts_);
            if (prompt != nullptr) {
                say(e, formatText("prompt \"%s\" offered on %s (hold %d ms)", prompt->label.c_str(),
                                  controlName(prompt->control).c_str(), prompt->holdMode));
            }
            shown_[e.intArg(0)] = true;
        } else if (label == "PROMPT_SET_VISIBLE") {
            const bool visible = e.intArg(1) != 0;
            bool& shown = shown_[e.intArg(0)];
            if (shown != visible) {
                say(e, visible ? "prompt shown again" : "prompt hidden");
            }
            shown = visible;
        } else if (label == "PROMPT_SET_GROUP") {
            say(e, formatText("prompt placed in the prompt group %d", e.intArg(1)));
        } else if (label == "PROMPT_HAS_HOLD_MODE_COMPLETED" && e.result[0] != 0) {
            say(e, "the player completed the hold");
        } else if (label == "PROMPT_DELETE") {
            say(e, "prompt deleted");
            shown_[e.intArg(0)] = false;
        } else if (label == "REQUEST_ANIM_DICT") {
            say(e, "animation dictionary \"" + shortDictName(e.stringArg(0)) + "\" requested");
        } else if (label == "HAS_ANIM_DICT_LOADED" && e.result[0] != 0) {
            say(e, "animation dictionary \"" + shortDictName(e.stringArg(0)) + "\" loaded");
        } else if (label == "REMOVE_ANIM_DICT") {
            say(e, "animation dictionary \"" + shortDictName(e.stringArg(0)) + "\" released");
        } else if (label == "SET_ENTITY_COORDS") {
            placed_[e.intArg(0)] = {e.floatArg(1), e.floatArg(2), e.floatArg(3)};
        } else if (label == "SET_ENTITY_HEADING") {
            const Vec3 at = placed_[e.intArg(0)];
            say(e,
                formatText("%s placed at (%.2f, %.2f, %.2f) heading %.1f", who(e.intArg(0)).c_str(),
                           static_cast<double>(at.x), static_cast<double>(at.y),
                           static_cast<double>(at.z), static_cast<double>(e.floatArg(1))));
        } else if (label == "START_PAIRED_ACTION") {
            say(e, formatText("drowning move %s started: %s leads, %s follows",
                              hashedName(host_, e.uintArg(2)).c_str(), who(e.intArg(0)).c_str(),
                              who(e.intArg(1)).c_str()));
        } else if (label == "PLAY_PARTICLE_FX_ON_PED") {
            say(e, formatText("splash %g on the %s", static_cast<double>(e.floatArg(9)),
                              who(e.intArg(1)).c_str()));
        } else if (label == "PLAY_PED_AMBIENT_SPEECH_NATIVE") {
            say(e, who(e.intArg(0)) + " says " + spokenLine(e.note));
        } else if (label.starts_with("KNOCKOUT_FINISH_")) {
            say(e, formatText("knockout finish %s of 4 on the %s", label.substr(16).c_str(),
                              who(e.intArg(0)).c_str()));
        } else if (label == "THROW_START") {
            say(e, who(e.intArg(0)) + " thrown by the " + who(e.intArg(1)));
        }
    }

    // The prompts the game makes of its own as its scripts start again: they
    // take the ids the ended run's prompts held.
    void narrateGamePrompts(const TraceEntry& e) {
        for (const Prompt& prompt : host_.world.prompts) {
            if (prompt.ofTheGame && prompt.run == restarts_) {
                say(e, formatText("the game makes its own prompt \"%s\", id %d",
                                  prompt.label.c_str(), prompt.id));
            }
        }
    }

    // Every call that names a prompt this run of the script did not make.
    void narrateFinding(const TraceEntry& e) {
        const auto at = e.note.find(notTheScriptsPrompt);
        if (at == std::string::npos) {
            return;
        }
        const auto from = at + notTheScriptsPrompt.size();
        const std::string whose = e.note.substr(from, e.note.find("; ", from) - from);
        say(e, formatText("%s %s names prompt %d, which this run of the script did not make (%s)",
                          findingMark, nativeLabel(e.hash), e.intArg(0), whose.c_str()));
    }

    // The first prompt the module makes after a restart.
    void narrateAfterRestart(const TraceEntry& e) {
        if (restarts_ == 0) {
            return;
        }
        const std::string label = nativeLabel(e.hash);
        if (label == "PROMPT_REGISTER_BEGIN" && !newPromptTold_) {
            newPromptTold_ = true;
            say(e, formatText("a new prompt made, %d, the first since restart %d",
                              static_cast<std::int32_t>(e.result[0]), restarts_));
        }
    }

    const Host& host_;
    const std::map<int, std::string>& names_;
    int restarts_ = 0;
    bool newPromptTold_ = false;
    std::map<int, bool> shown_;
    std::map<int, Vec3> placed_;
    std::vector<StoryLine> story_;
};

} // namespace

std::vector<StoryLine> tellStory(const Host& host, const std::map<int, std::string>& names) {
    return Narrator(host, names).run();
}

std::vector<std::string> formatStory(const std::vector<StoryLine>& story) {
    // Group the sentences by frame, then print a run of frames that say the
    // same things (a choke splashes and speaks every frame) once, with its
    // count: the timeline stays readable however long the choke lasts.
    struct Frame {
        std::uint64_t frame;
        std::uint32_t gameTime;
        std::vector<std::string> texts;
    };
    std::vector<Frame> frames;
    for (const StoryLine& line : story) {
        if (frames.empty() || frames.back().frame != line.frame) {
            frames.push_back({line.frame, line.gameTime, {}});
        }
        frames.back().texts.push_back(line.text);
    }

    constexpr std::uint64_t runGap = 40; // frames; longer than a half-second pause
    std::vector<std::string> out;
    for (std::size_t i = 0; i < frames.size();) {
        std::size_t end = i + 1;
        while (end < frames.size() && frames[end].texts == frames[i].texts &&
               frames[end].frame <= frames[end - 1].frame + runGap) {
            ++end;
        }
        const Frame& first = frames[i];
        for (std::size_t t = 0; t < first.texts.size(); ++t) {
            std::string text =
                formatText("frame %5llu  t=%7u ms  ", static_cast<unsigned long long>(first.frame),
                           first.gameTime) +
                first.texts[t];
            if (end - i > 1 && t + 1 == first.texts.size()) {
                text += formatText("  (on %zu passes, until frame %llu)", end - i,
                                   static_cast<unsigned long long>(frames[end - 1].frame));
            }
            out.push_back(std::move(text));
        }
        i = end;
    }
    return out;
}

std::string controlName(std::uint32_t hash) {
    // The controls a player is likely to bind the prompt to; the simulated
    // host names only these, which is all a timeline needs.
    static const std::array<const char*, 28> known = {
        "INPUT_CONTEXT_X",
        "INPUT_CONTEXT_Y",
        "INPUT_CONTEXT_A",
        "INPUT_CONTEXT_B",
        "INPUT_CONTEXT_RT",
        "INPUT_CONTEXT_LT",
        "INPUT_INTERACT_OPTION1",
        "INPUT_INTERACT_OPTION2",
        "INPUT_INTERACT_POS",
        "INPUT_INTERACT_NEG",
        "INPUT_JUMP",
        "INPUT_RELOAD",
        "INPUT_ENTER",
        "INPUT_LOOT",
        "INPUT_PICKUP",
        "INPUT_HOGTIE",
        "INPUT_COVER",
        "INPUT_DUCK",
        "INPUT_SPRINT",
        "INPUT_AIM",
        "INPUT_ATTACK",
        "INPUT_MELEE_ATTACK",
        "INPUT_MELEE_GRAPPLE",
        "INPUT_MELEE_GRAPPLE_CHOKE",
        "INPUT_MELEE_GRAPPLE_ATTACK",
        "INPUT_MELEE_GRAPPLE_BREAKOUT",
        "INPUT_MELEE_GRAPPLE_REVERSAL",
        "INPUT_FRONTEND_ACCEPT",
    };
    if (hash == 0xFFFFFFFFU) {
        return "no control";
    }
    for (const char* name : known) {
        if (joaat(name) == hash) {
            return name;
        }
    }
    return formatText("control 0x%08X", hash);
}

} // namespace sim
