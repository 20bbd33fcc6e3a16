#include "gui/COptionMenu.h"

#include "gui/CBitmap.h"
#include "gui/CControlListener.h"
#include "gui/CFrame.h"
#include "gui/InputState.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
constexpr size_t kEntryStorageStep = 32;
// Submenus nested deeper than this (or a menu that contains itself) are not shown.
constexpr int kMaxMenuDepth = 16;

bool hasPrefix(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool isSeparator(const std::string& text)
{
    return text == "-";
}
}  // namespace

COptionMenu::COptionMenu(const CRect& size_, CControlListener* listener_, int32_t tag_, CBitmap* background,
    CBitmap* bgWhenClick_, int32_t style_)
    : CParamDisplay(size_, background, style_), bgWhenClick(bgWhenClick_)
{
    listener = listener_;
    tag = tag_;
    if (bgWhenClick)
        bgWhenClick->remember();
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
    if (bgWhenClick)
        bgWhenClick->forget();
}

bool COptionMenu::isChoosable(const std::string& text)
{
    return !isSeparator(text) && !hasPrefix(text, "-G") && !hasPrefix(text, "-T");
}

std::string COptionMenu::numbered(const char* text, const char* prefix, int32_t position) const
{
    char buffer[kMaxEntryLength + 32];
    const char* format = nullptr;
    switch (prefixNumbers) {
    case 2: format = "%s%1d %s"; break;
    case 3: format = "%s%02d %s"; break;
    case 4: format = "%s%03d %s"; break;
    default: break;
    }
    // Entries with a prefix of their own (separators, greyed entries, titles) keep it intact.
    if (format && text[0] != '-')
        std::snprintf(buffer, sizeof(buffer), format, prefix, int(position + 1), text);
    else
        std::snprintf(buffer, sizeof(buffer), "%s%s", prefix, text);
    std::string result(buffer);
    if (result.size() > kMaxEntryLength)
        result.resize(kMaxEntryLength);
    return result;
}

bool COptionMenu::insert(Entry entry, int32_t index)
{
    if (getNbEntries() >= kMaxEntries)
        return false;
    try {
        if (entries.size() == entries.capacity())
            entries.reserve(entries.size() + kEntryStorageStep);
        const int32_t count = getNbEntries();
        const int32_t position = index < 0 || index > count ? count : index;
        entries.insert(entries.begin() + position, std::move(entry));
        if (index >= 0 && currentIndex >= position)
            ++currentIndex;
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (entries.size() == 1)
        currentIndex = 0;
    return true;
}

bool COptionMenu::addEntry(const char* text, int32_t index)
{
    if (!text || getNbEntries() >= kMaxEntries)
        return false;
    const int32_t count = getNbEntries();
    const int32_t position = index < 0 || index > count ? count : index;
    Entry entry;
    try {
        entry.text = numbered(text, "", position);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return insert(std::move(entry), index);
}

bool COptionMenu::addEntry(COptionMenu* submenu, const char* text)
{
    if (!submenu || !text || getNbEntries() >= kMaxEntries)
        return false;
    Entry entry;
    try {
        entry.text = numbered(text, "-M", getNbEntries());
    } catch (const std::bad_alloc&) {
        return false;
    }
    entry.submenu = submenu;
    if (!insert(std::move(entry), -1))
        return false;
    submenu->remember();
    return true;
}

int32_t COptionMenu::getCurrent(char* text, bool countSeparator) const
{
    if (text) {
        text[0] = '\0';
        if (currentIndex >= 0 && currentIndex < getNbEntries())
            std::snprintf(text, kMaxEntryLength + 1, "%s", entries[size_t(currentIndex)].text.c_str());
    }
    if (countSeparator || currentIndex < 0)
        return currentIndex;
    int32_t counted = 0;
    for (int32_t i = 0; i < currentIndex && i < getNbEntries(); ++i)
        if (isChoosable(entries[size_t(i)].text))
            ++counted;
    return counted;
}

bool COptionMenu::setCurrent(int32_t index, bool countSeparator)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    if (countSeparator) {
        if (isSeparator(entries[size_t(index)].text))
            return false;
        currentIndex = index;
    } else {
        // The index counts only choosable entries: find the index-th of them.
        int32_t seen = -1;
        int32_t found = -1;
        for (int32_t i = 0; i < getNbEntries(); ++i) {
            if (isChoosable(entries[size_t(i)].text) && ++seen == index) {
                found = i;
                break;
            }
        }
        if (found < 0)
            return false;
        currentIndex = found;
    }
    if ((style & kMultipleCheckStyle) == kMultipleCheckStyle)
        entries[size_t(currentIndex)].checked = !entries[size_t(currentIndex)].checked;
    setDirty();
    return true;
}

bool COptionMenu::getEntry(int32_t index, char* text) const
{
    if (!text || index < 0 || index >= getNbEntries())
        return false;
    std::snprintf(text, kMaxEntryLength + 1, "%s", entries[size_t(index)].text.c_str());
    return true;
}

bool COptionMenu::setEntry(int32_t index, const char* text)
{
    if (!text || index < 0 || index >= getNbEntries())
        return false;
    Entry& entry = entries[size_t(index)];
    try {
        entry.text = text;
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (entry.text.size() > kMaxEntryLength)
        entry.text.resize(kMaxEntryLength);
    if (entry.submenu && !hasPrefix(entry.text, "-M")) {
        entry.submenu->forget();
        entry.submenu = nullptr;
    }
    setDirty();
    return true;
}

bool COptionMenu::removeEntry(int32_t index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    if (entries[size_t(index)].submenu)
        entries[size_t(index)].submenu->forget();
    entries.erase(entries.begin() + index);
    if (currentIndex > index || currentIndex >= getNbEntries())
        --currentIndex;
    setDirty();
    return true;
}

bool COptionMenu::removeAllEntry()
{
    std::vector<Entry> removedEntries;
    removedEntries.swap(entries);
    for (Entry& entry : removedEntries)
        if (entry.submenu)
            entry.submenu->forget();
    currentIndex = -1;
    return true;
}

int32_t COptionMenu::getIndex(const char* text) const
{
    if (!text)
        return -1;
    for (int32_t i = 0; i < getNbEntries(); ++i)
        if (entries[size_t(i)].text == text)
            return i;
    return -1;
}

bool COptionMenu::checkEntry(int32_t index, bool state)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    entries[size_t(index)].checked = state;
    return true;
}

bool COptionMenu::checkEntryAlone(int32_t index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    for (Entry& entry : entries)
        entry.checked = false;
    entries[size_t(index)].checked = true;
    return true;
}

bool COptionMenu::isCheckEntry(int32_t index) const
{
    return index >= 0 && index < getNbEntries() && entries[size_t(index)].checked;
}

void COptionMenu::setPrefixNumbers(int32_t numbering)
{
    prefixNumbers = numbering >= 2 && numbering <= 4 ? numbering : 0;
}

COptionMenu* COptionMenu::getSubMenu(int32_t submenuIndex) const
{
    int32_t seen = 0;
    for (const Entry& entry : entries)
        if (entry.submenu && seen++ == submenuIndex)
            return entry.submenu;
    return nullptr;
}

void COptionMenu::setValue(float newValue)
{
    const auto index = int32_t(newValue);
    if (index < 0 || index >= getNbEntries())
        return;
    currentIndex = index;
    if ((style & kMultipleCheckStyle) == kMultipleCheckStyle)
        entries[size_t(index)].checked = !entries[size_t(index)].checked;
    CParamDisplay::setValue(newValue);
    setDirty();
}

void COptionMenu::draw(CDrawContext* context)
{
    const bool hasCurrent = currentIndex >= 0 && currentIndex < getNbEntries();
    drawText(context, hasCurrent ? entries[size_t(currentIndex)].text.c_str() : "");
    setDirty(false);
}

void COptionMenu::mouse(CDrawContext* context, CPoint& where)
{
    if (!bMouseEnabled || !pParentFrame || !context)
        return;
    lastButton = context->getMouseButtons();
    if (!(lastButton & kRButton))
        return;
    if (bgWhenClick) {
        // The pressed look: the pressed-state bitmap under the current entry's text.
        CBitmap* normal = pBackground;
        pBackground = bgWhenClick;
        const bool hasCurrent = currentIndex >= 0 && currentIndex < getNbEntries();
        drawText(context, hasCurrent ? entries[size_t(currentIndex)].text.c_str() : "");
        pBackground = normal;
    }
    lastClick = where;
    pParentFrame->setFocusView(this);
    takeFocus(context);
}

std::vector<PopupMenuEntry> COptionMenu::buildPopup(std::vector<CommandTarget>& owners, int depth)
{
    std::vector<PopupMenuEntry> items;
    if (depth > kMaxMenuDepth)
        return items;
    items.reserve(entries.size());
    const bool checkCurrent = (style & kCheckStyle) && (style & kMultipleCheckStyle) != kMultipleCheckStyle;
    const bool checkEach = (style & kMultipleCheckStyle) == kMultipleCheckStyle;
    for (int32_t i = 0; i < getNbEntries(); ++i) {
        const Entry& entry = entries[size_t(i)];
        PopupMenuEntry item;
        item.columnBreak = nbItemsPerColumn > 0 && i > 0 && i % nbItemsPerColumn == 0;
        if (isSeparator(entry.text)) {
            item.kind = PopupMenuEntry::kSeparator;
        } else if (hasPrefix(entry.text, "-G")) {
            item.kind = PopupMenuEntry::kGreyed;
            item.text = entry.text.substr(2);
        } else if (hasPrefix(entry.text, "-T")) {
            item.kind = PopupMenuEntry::kTitle;
            item.text = entry.text.substr(2);
        } else if (hasPrefix(entry.text, "-M") && entry.submenu) {
            item.kind = PopupMenuEntry::kSubmenu;
            item.text = entry.text.substr(2);
            item.submenu = entry.submenu->buildPopup(owners, depth + 1);
        } else {
            item.kind = PopupMenuEntry::kItem;
            item.text = entry.text;
            item.command = int32_t(owners.size());
            owners.push_back({this, i});
            item.checked = (checkCurrent && i == currentIndex) || (checkEach && entry.checked);
        }
        items.push_back(std::move(item));
    }
    return items;
}

void COptionMenu::applyChoice(const CommandTarget& target, CDrawContext* context)
{
    COptionMenu* menu = target.menu;
    menu->setValue(float(target.index));
    if (menu->listener)
        menu->listener->valueChanged(context, menu);
}

void COptionMenu::takeFocus(CDrawContext* context)
{
    if (!pParentFrame)
        return;
    PlatformFrame* platform = pParentFrame->getPlatformFrame();
    int32_t command = -1;
    std::vector<CommandTarget> owners;
    if (platform) {
        const std::vector<PopupMenuEntry> items = buildPopup(owners);
        const CPoint where = (style & kPopupStyle) ? lastClick : CPoint(size.left, size.bottom);
        command = platform->popupMenu(items, where, (lastButton & kRButton) != 0);
    }
    pParentFrame->setFocusView(nullptr);
    if (command >= 0 && command < int32_t(owners.size())) {
        // Keep the owners alive while their listeners run: a listener may rebuild menus.
        CommandTarget target = owners[size_t(command)];
        target.menu->remember();
        applyChoice(target, context);
        target.menu->forget();
    }
}
