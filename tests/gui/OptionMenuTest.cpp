// Option menu entries (insertion, current index, prefixes, numbering, limits), the popup
// tree handed to the window system, and which listener hears a choice.
#include "GuiTestSupport.h"

#include "gui/COptionMenu.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {
std::string entry(const COptionMenu& menu, int32_t index)
{
    char text[256];
    return menu.getEntry(index, text) ? std::string(text) : std::string("<none>");
}
}  // namespace

TEST(OptionMenuEntries, InsertionMovesLaterEntriesAndTheCurrentIndexAlong)
{
    COptionMenu menu(CRect(), nullptr, 0);
    EXPECT_EQ(menu.getCurrent(), -1);
    ASSERT_TRUE(menu.addEntry("B"));
    EXPECT_EQ(menu.getCurrent(), 0);  // the first entry becomes current
    menu.addEntry("C");
    menu.setCurrent(1);
    menu.addEntry("A", 0);
    EXPECT_EQ(entry(menu, 0), "A");
    EXPECT_EQ(entry(menu, 2), "C");
    EXPECT_EQ(menu.getCurrent(), 2);  // still "C"
    menu.addEntry("D", 3);             // after the current entry: it stays
    menu.addEntry("E", 99);            // beyond the end: appended
    EXPECT_EQ(menu.getNbEntries(), 5);
    EXPECT_EQ(entry(menu, 4), "E");
    EXPECT_EQ(menu.getCurrent(), 2);
    char text[256];
    EXPECT_EQ(menu.getCurrent(text), 2);
    EXPECT_STREQ(text, "C");
    EXPECT_EQ(menu.getIndex("D"), 3);
    EXPECT_EQ(menu.getIndex("nothing"), -1);

    EXPECT_TRUE(menu.removeEntry(0));
    EXPECT_EQ(menu.getCurrent(), 1);  // follows "C"
    EXPECT_TRUE(menu.setEntry(1, "Cee"));
    EXPECT_EQ(entry(menu, 1), "Cee");
    EXPECT_FALSE(menu.setEntry(9, "x"));
    menu.removeAllEntry();
    EXPECT_EQ(menu.getNbEntries(), 0);
    EXPECT_EQ(menu.getCurrent(), -1);
}

TEST(OptionMenuEntries, LimitsOf1024EntriesAnd255Characters)
{
    COptionMenu menu(CRect(), nullptr, 0);
    for (int i = 0; i < COptionMenu::kMaxEntries; ++i)
        ASSERT_TRUE(menu.addEntry("x"));
    EXPECT_FALSE(menu.addEntry("one too many"));
    EXPECT_FALSE(menu.addEntry("one too many", 0));
    EXPECT_EQ(menu.getNbEntries(), 1024);

    COptionMenu longText(CRect(), nullptr, 0);
    longText.addEntry(std::string(400, 'a').c_str());
    EXPECT_EQ(entry(longText, 0).size(), 255u);
}

TEST(OptionMenuEntries, NumberingStylesAndSubmenuPrefix)
{
    COptionMenu* submenu = new COptionMenu(CRect(), nullptr, 0);
    COptionMenu menu(CRect(), nullptr, 0);
    menu.setPrefixNumbers(3);
    menu.addEntry("Load");
    menu.addEntry("-");
    menu.addEntry(submenu, "More");
    EXPECT_EQ(entry(menu, 0), "01 Load");
    EXPECT_EQ(entry(menu, 1), "-");  // separators keep their prefix
    EXPECT_EQ(entry(menu, 2), "-M03 More");
    EXPECT_EQ(submenu->getNbReference(), 2);
    EXPECT_EQ(menu.getSubMenu(0), submenu);
    submenu->forget();

    COptionMenu plain(CRect(), nullptr, 0);
    plain.setPrefixNumbers(2);
    plain.addEntry("a");
    plain.setPrefixNumbers(4);
    plain.addEntry("b");
    EXPECT_EQ(entry(plain, 0), "1 a");
    EXPECT_EQ(entry(plain, 1), "002 b");
}

TEST(OptionMenuEntries, CountingWithoutSeparatorsSkipsSeparatorsGreyedEntriesAndTitles)
{
    COptionMenu menu(CRect(), nullptr, 0);
    for (const char* text : {"-TTitle", "a", "-", "-Ggrey", "b", "c"})
        menu.addEntry(text);
    EXPECT_TRUE(menu.setCurrent(1, false));
    EXPECT_EQ(menu.getCurrent(), 4);  // "b"
    EXPECT_EQ(menu.getCurrent(nullptr, false), 1);
    EXPECT_FALSE(menu.setCurrent(3, false));
    EXPECT_FALSE(menu.setCurrent(2));  // a separator cannot be current
    EXPECT_TRUE(menu.setCurrent(5));

    menu.setValue(17.f);  // out of range: ignored
    EXPECT_EQ(menu.getCurrent(), 5);
    menu.setValue(1.f);
    EXPECT_EQ(menu.getCurrent(), 1);
    EXPECT_TRUE(menu.isDirty());
}

TEST(OptionMenuEntries, CheckMarksAloneAndMultiple)
{
    COptionMenu menu(CRect(), nullptr, 0, nullptr, nullptr, kMultipleCheckStyle);
    for (const char* text : {"a", "b", "c"})
        menu.addEntry(text);
    menu.setValue(1.f);
    menu.setValue(2.f);
    EXPECT_FALSE(menu.isCheckEntry(0));
    EXPECT_TRUE(menu.isCheckEntry(1));
    EXPECT_TRUE(menu.isCheckEntry(2));
    menu.setValue(1.f);  // toggles
    EXPECT_FALSE(menu.isCheckEntry(1));
    menu.checkEntryAlone(0);
    EXPECT_TRUE(menu.isCheckEntry(0));
    EXPECT_FALSE(menu.isCheckEntry(2));
    EXPECT_FALSE(menu.isCheckEntry(7));
}

TEST(OptionMenuPopup, TreeNumbersCommandsAcrossSubmenusAndMarksKindsChecksAndColumns)
{
    COptionMenu* submenu = new COptionMenu(CRect(), nullptr, 0, nullptr, nullptr, kPopupStyle | kCheckStyle);
    submenu->addEntry("x");
    submenu->addEntry("y");
    submenu->setValue(1.f);
    COptionMenu menu(CRect(), nullptr, 0, nullptr, nullptr, kPopupStyle);
    menu.setNbItemsPerColumn(2);
    for (const char* text : {"-TTitle", "a", "-", "-Ggrey"})
        menu.addEntry(text);
    menu.addEntry(submenu, "Sub");
    submenu->forget();

    std::vector<COptionMenu::CommandTarget> owners;
    const std::vector<PopupMenuEntry> tree = menu.buildPopup(owners);
    ASSERT_EQ(tree.size(), 5u);
    EXPECT_EQ(tree[0].kind, PopupMenuEntry::kTitle);
    EXPECT_EQ(tree[0].text, "Title");
    EXPECT_EQ(tree[1].command, 0);
    EXPECT_FALSE(tree[1].checked);  // no check style on the outer menu
    EXPECT_EQ(tree[2].kind, PopupMenuEntry::kSeparator);
    EXPECT_EQ(tree[3].kind, PopupMenuEntry::kGreyed);
    EXPECT_EQ(tree[3].command, -1);
    EXPECT_EQ(tree[4].kind, PopupMenuEntry::kSubmenu);
    EXPECT_EQ(tree[4].text, "Sub");
    EXPECT_FALSE(tree[1].columnBreak);
    EXPECT_TRUE(tree[2].columnBreak);
    EXPECT_TRUE(tree[4].columnBreak);
    ASSERT_EQ(tree[4].submenu.size(), 2u);
    EXPECT_EQ(tree[4].submenu[0].command, 1);
    EXPECT_EQ(tree[4].submenu[1].command, 2);
    EXPECT_TRUE(tree[4].submenu[1].checked);
    ASSERT_EQ(owners.size(), 3u);
    EXPECT_EQ(owners[2].menu, submenu);
    EXPECT_EQ(owners[2].index, 1);
}

namespace {
struct MenuInFrame : ::testing::Test {
    RecordingListener outerListener;
    RecordingListener innerListener;
    ScriptedPlatform* platform = nullptr;
    CFrame* frame = nullptr;
    COptionMenu* menu = nullptr;
    COptionMenu* submenu = nullptr;

    void SetUp() override
    {
        auto scripted = std::make_unique<ScriptedPlatform>();
        platform = scripted.get();
        frame = new CFrame(CRect(0, 0, 300, 200), std::move(scripted), nullptr);
        platform->frame = frame;
        menu = new COptionMenu(CRect(10, 10, 110, 30), &outerListener, 45, nullptr, nullptr, kPopupStyle);
        submenu = new COptionMenu(CRect(), &innerListener, 46, nullptr, nullptr, kPopupStyle | kCheckStyle);
        for (const char* text : {"To bar", "To 1/4", "To 1/8"})
            submenu->addEntry(text);
        menu->addEntry("Load");
        menu->addEntry(submenu, "Sync");
        submenu->forget();
        frame->addView(menu);
    }
    void TearDown() override { delete frame; }

    void click(int32_t buttons, CPoint where)
    {
        platform->steps = {{buttons, where}};
        platform->current = 0;
        std::unique_ptr<CDrawContext> context = frame->createEventContext();
        frame->mouse(context.get(), where);
    }
};
}  // namespace

TEST_F(MenuInFrame, RightClickOpensAtTheClickPointAndASubmenuChoiceReachesTheSubmenusListener)
{
    platform->choose = [](const std::vector<PopupMenuEntry>& tree) { return findCommand(tree, "To 1/8"); };
    click(kRButton, CPoint(40, 20));
    EXPECT_EQ(platform->popups, 1);
    EXPECT_EQ(platform->lastPopupWhere, CPoint(40, 20));
    EXPECT_TRUE(platform->lastPopupRightButton);
    ASSERT_EQ(innerListener.calls.size(), 1u);
    EXPECT_EQ(innerListener.calls[0].tag, 46);
    EXPECT_EQ(innerListener.calls[0].value, 2.f);  // the local index inside the submenu
    EXPECT_TRUE(outerListener.calls.empty());
    EXPECT_EQ(frame->getFocusView(), nullptr);  // cleared when the popup closes
}

TEST_F(MenuInFrame, LeftClickAndDismissalChangeNothing)
{
    click(kLButton, CPoint(40, 20));
    EXPECT_EQ(platform->popups, 0);
    menu->setValue(0.f);
    click(kRButton, CPoint(40, 20));  // the scripted window answers -1: dismissed
    EXPECT_EQ(platform->popups, 1);
    EXPECT_TRUE(outerListener.calls.empty());
    EXPECT_TRUE(innerListener.calls.empty());
    EXPECT_EQ(menu->getCurrent(), 0);

    platform->choose = [](const std::vector<PopupMenuEntry>& tree) { return findCommand(tree, "Load"); };
    menu->setStyle(0);  // without the popup style the menu opens below the view
    click(kRButton, CPoint(40, 20));
    EXPECT_EQ(platform->lastPopupWhere, CPoint(10, 30));
    ASSERT_EQ(outerListener.calls.size(), 1u);
    EXPECT_EQ(outerListener.calls[0].value, 0.f);
}
