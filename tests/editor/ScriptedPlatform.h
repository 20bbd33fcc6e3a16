// A window stand-in for in-process editor tests: the pointer follows a script of
// (buttons, position) steps, popup menus answer with the entry a test names by its
// path of texts, and every popup shown is kept for inspection.
#pragma once

#include "gui/COffscreenContext.h"
#include "gui/PlatformFrame.h"

#include <string>
#include <vector>

struct PointerStep {
    int32_t buttons;
    CPoint where;
};

struct ScriptState {
    std::vector<PointerStep> steps;
    size_t current = 0;
    std::vector<std::string> menuChoice;                   // e.g. {"Tension modeling", "Model B"}
    std::vector<std::vector<PopupMenuEntry>> popupsShown;  // every popup, in order
    int paintPasses = 0;
    CFrame* frame = nullptr;  // set once the frame exists: contexts read the pointer through it
};

class ScriptedPlatform : public PlatformFrame {
public:
    explicit ScriptedPlatform(ScriptState& state) : s(state) {}

    void* getSystemWindow() const override { return nullptr; }
    bool isAlive() const override { return true; }
    bool isViewable() override { return true; }
    void handleEvents() override { ++s.paintPasses; }
    void handlePaintEvents() override { ++s.paintPasses; }
    CDrawContext* createDrawContext() override { return new COffscreenContext(s.frame, 640, 420); }

    // The current step's buttons; released once the script has run out.
    int32_t getButtonState() override { return s.current < s.steps.size() ? s.steps[s.current].buttons : 0; }
    // Each read of the pointer moves on to the next step.
    CPoint getMousePosition() override
    {
        if (s.current < s.steps.size())
            ++s.current;
        return s.current < s.steps.size() ? s.steps[s.current].where : (s.steps.empty() ? CPoint() : s.steps.back().where);
    }

    int32_t popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint&, bool) override
    {
        s.popupsShown.push_back(entries);
        const std::vector<PopupMenuEntry>* level = &entries;
        for (size_t depth = 0; depth < s.menuChoice.size(); ++depth) {
            const PopupMenuEntry* found = nullptr;
            for (const PopupMenuEntry& e : *level)
                if (e.text == s.menuChoice[depth])
                    found = &e;
            if (!found)
                return -1;
            if (depth + 1 == s.menuChoice.size())
                return found->command;
            level = &found->submenu;
        }
        return -1;
    }

private:
    ScriptState& s;
};
