// A parameter display that opens a popup menu on a right click. Entries are texts with
// optional prefixes: "-" a separator, "-G" greyed, "-T" a title, "-M" a submenu entry.
// Choosing an entry makes its index the value of the menu that holds it and tells that
// menu's listener.
#pragma once

#include "gui/CParamDisplay.h"
#include "gui/PlatformFrame.h"

#include <string>
#include <vector>

class COptionMenu : public CParamDisplay {
public:
    static constexpr int32_t kMaxEntries = 1024;
    static constexpr size_t kMaxEntryLength = 255;

    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr,
        CBitmap* bgWhenClick = nullptr, int32_t style = 0);
    ~COptionMenu() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where) override;
    void takeFocus(CDrawContext* context) override;
    void setValue(float value) override;

    // index -1 appends; otherwise the entry goes to min(index, count). False at 1024 entries.
    virtual bool addEntry(const char* text, int32_t index = -1);
    // Appends a submenu entry; the menu keeps a reference to the submenu.
    virtual bool addEntry(COptionMenu* submenu, const char* text);
    // The current index (or, without separators, the number of choosable entries before
    // it); text receives the entry, up to 256 bytes.
    virtual int32_t getCurrent(char* text = nullptr, bool countSeparator = true) const;
    virtual bool setCurrent(int32_t index, bool countSeparator = true);
    virtual bool getEntry(int32_t index, char* text) const;
    virtual bool setEntry(int32_t index, const char* text);
    virtual bool removeEntry(int32_t index);
    virtual bool removeAllEntry();
    virtual int32_t getNbEntries() const { return int32_t(entries.size()); }
    virtual int32_t getIndex(const char* text) const;
    virtual bool checkEntry(int32_t index, bool state);
    virtual bool checkEntryAlone(int32_t index);
    virtual bool isCheckEntry(int32_t index) const;
    virtual void setNbItemsPerColumn(int32_t count) { nbItemsPerColumn = count < 0 ? 0 : count; }
    virtual int32_t getNbItemsPerColumn() const { return nbItemsPerColumn; }
    // 0 none; 2, 3, 4: "%1d %s", "%02d %s", "%03d %s" with the entry's 1-based position.
    virtual void setPrefixNumbers(int32_t numbering);
    virtual int32_t getPrefixNumbers() const { return prefixNumbers; }

    COptionMenu* getSubMenu(int32_t submenuIndex) const;
    int32_t getLastButton() const { return lastButton; }
    CPoint getLastClickPoint() const { return lastClick; }

    // The popup as the window system shows it; `owners` maps each command to the menu
    // and local index it stands for.
    struct CommandTarget {
        COptionMenu* menu;
        int32_t index;
    };
    std::vector<PopupMenuEntry> buildPopup(std::vector<CommandTarget>& owners, int depth = 0);
    // Applies a chosen command: the owning menu takes the index and tells its listener.
    static void applyChoice(const CommandTarget& target, CDrawContext* context);

private:
    struct Entry {
        std::string text;
        bool checked = false;
        COptionMenu* submenu = nullptr;
    };
    static bool isChoosable(const std::string& text);
    std::string numbered(const char* text, const char* prefix, int32_t position) const;
    bool insert(Entry entry, int32_t index);

    std::vector<Entry> entries;
    int32_t currentIndex = -1;
    int32_t nbItemsPerColumn = 0;
    int32_t prefixNumbers = 0;
    int32_t lastButton = 0;
    CPoint lastClick;
    CBitmap* bgWhenClick = nullptr;
};
