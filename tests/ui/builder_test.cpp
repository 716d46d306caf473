// CDialogBuilder: layouts from the skin archive or from text, attributes in
// document order, names, fonts, window attributes and every way to fail.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/ui/ui_test_support.h"
#include "ui/button.h"
#include "ui/container.h"
#include "ui/dialog_builder.h"
#include "ui/headless_platform.h"
#include "ui/label.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"
#include "ui/zip_archive.h"

namespace {

using uitest::scratch_dir;
using uitest::widen;

class Builder : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::ResetResourceZip();
        CPaintManagerUI::RemoveAllSharedFonts();
        pm.SetPlatform(&platform);
    }
    void TearDown() override {
        CPaintManagerUI::ResetResourceZip();
        CPaintManagerUI::RemoveAllSharedFonts();
    }
    // Builds markup text and attaches it; nullptr on failure.
    CControlUI* build(const std::wstring& text) {
        CControlUI* root = builder.Create(text.c_str(), nullptr, nullptr, &pm);
        if (root) pm.AttachDialog(root);
        return root;
    }
    // One control inside a horizontal layout, with the given attributes.
    CControlUI* build_one(const std::wstring& element, const std::wstring& attributes) {
        CControlUI* root = build(L"<Window><HorizontalLayout><" + element + L" name=\"it\" " + attributes +
                                 L"/></HorizontalLayout></Window>");
        return root ? pm.FindControl(L"it") : nullptr;
    }

    headless_platform platform;
    CPaintManagerUI pm;
    CDialogBuilder builder;
};

TEST_F(Builder, AttributesApplyInDocumentOrder) {
    struct Case {
        const wchar_t* attributes;
        int x, y, width, height;
    } cases[] = {
        {L"float=\"true\" pos=\"472,310\" width=\"230\" height=\"50\"", 472, 310, 230, 50},
        // The other way round: "pos" with two numbers sets the width to 0 and
        // leaves the height, because the computed height is negative.
        {L"width=\"960\" height=\"160\" pos=\"0, 440\"", 0, 440, 0, 160},
        {L"pos=\"1,2,11,22\"", 1, 2, 10, 20},
        {L"width=\"7\" height=\"8\" pos=\"5,5,1,1\"", 5, 5, 7, 8},
        {L"width=\"7\" width=\"-3\" height=\"-1\"", 0, 0, 7, 0},
        {L"pos=\"3\"", 3, 0, 0, 0},
        {L"pos=\"  4 ,  5 , 14, 25\"", 4, 5, 10, 20},
    };
    for (const auto& c : cases) {
        CControlUI* it = build_one(L"Button", c.attributes);
        ASSERT_NE(it, nullptr) << builder.GetLastErrorMessage();
        EXPECT_EQ(it->GetFixedXY(), (ui_size{c.x, c.y})) << std::wstring(c.attributes).size();
        EXPECT_EQ(it->GetFixedWidth(), c.width) << std::wstring(c.attributes).size();
        EXPECT_EQ(it->GetFixedHeight(), c.height) << std::wstring(c.attributes).size();
    }
}

TEST_F(Builder, VisibleIsTrueOnlyForExactlyTrue) {
    struct Case {
        const wchar_t* value;
        bool visible;
    } cases[] = {{L"true", true}, {L"True", false}, {L"TRUE", false}, {L"1", false},
                 {L"yes", false},  {L"", false},     {L" true", false}, {L"false", false}};
    for (const auto& c : cases) {
        CControlUI* it = build_one(L"Label", std::wstring(L"visible=\"") + c.value + L"\"");
        ASSERT_NE(it, nullptr);
        EXPECT_EQ(it->IsVisible(), c.visible) << std::wstring(c.value).size();
    }
}

TEST_F(Builder, ColoursReadWithHashOrHexPrefix) {
    struct Case {
        const wchar_t* value;
        uint32_t argb;
    } cases[] = {
        {L"#FF000000", 0xFF000000u},
        {L"0xffebeaea", 0xFFEBEAEAu},
        {L"#80112233", 0x80112233u},
        {L"FF0000FF", 0xFF0000FFu},
        {L"#112233", 0xFF112233u},    // six digits: given full alpha
        {L"0X00ABCDEF", 0xFFABCDEFu},  // alpha 0 written: given full alpha
    };
    for (const auto& c : cases) {
        auto* label = static_cast<CLabelUI*>(build_one(L"Label", std::wstring(L"textcolor=\"") + c.value + L"\""));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetTextColor(), c.argb) << std::wstring(c.value).size();
    }
    EXPECT_EQ(ui_parse_color(L"#FF00"), 0xFF00u);
    EXPECT_EQ(ui_parse_color(L"zz"), 0u);
}

TEST_F(Builder, DuplicateNamesLastInDocumentOrderWins) {
    CControlUI* root = build(
        L"<Window><VerticalLayout name=\"page\">"
        L"<Button name=\"btnCancel\" float=\"true\" pos=\"914,44\" width=\"16\" height=\"16\"/>"
        L"<Button name=\"btnUninst\"/>"
        L"<Button name=\"btnCancel\" float=\"true\" pos=\"702,302\" width=\"235\" height=\"66\"/>"
        L"<HorizontalLayout name=\"page\"><Label name=\"inner\"/></HorizontalLayout>"
        L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CControlUI* cancel = pm.FindControl(L"btnCancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->GetFixedXY(), (ui_size{702, 302}));
    // Children are registered before their container: the outer "page" comes last.
    EXPECT_EQ(pm.FindControl(L"page"), root);
    EXPECT_NE(pm.FindControl(L"inner"), nullptr);
    EXPECT_EQ(pm.FindControl(L"btncancel"), nullptr);   // exact case
    EXPECT_EQ(pm.FindControl(L"nobody"), nullptr);
}

TEST_F(Builder, TreeGetsManagerAndParentsWhenAttached) {
    CControlUI* root = build(L"<Window><VerticalLayout><HorizontalLayout name=\"h\" visible=\"false\">"
                             L"<Label name=\"l\"/></HorizontalLayout></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CControlUI* h = pm.FindControl(L"h");
    CControlUI* l = pm.FindControl(L"l");
    ASSERT_TRUE(h && l);
    EXPECT_EQ(pm.GetRoot(), root);
    EXPECT_EQ(h->GetParent(), root);
    EXPECT_EQ(l->GetParent(), h);
    EXPECT_EQ(l->GetManager(), &pm);
    // A hidden container hides its children; hidden controls are still found by name.
    EXPECT_FALSE(h->IsVisible());
    EXPECT_FALSE(l->IsVisible());
    EXPECT_STREQ(root->GetClass(), L"VerticalLayout");
    EXPECT_STREQ(l->GetClass(), L"Label");
}

class Factory : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* name) override {
        asked.push_back(name);
        return ui_compare_nocase(name, L"Custom") == 0 ? new CLabelUI : nullptr;
    }
    std::vector<std::wstring> asked;
};

TEST_F(Builder, UnknownElementsAreSkippedOrOfferedToTheCallback) {
    const std::wstring text =
        L"<Window><VerticalLayout><Mystery name=\"m\"><Label name=\"under_mystery\"/></Mystery>"
        L"<Custom name=\"c\" answer=\"42\"/><label NAME=\"lower\" name=\"ok\"/></VerticalLayout></Window>";
    CControlUI* root = build(text);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(pm.FindControl(L"m"), nullptr);
    EXPECT_EQ(pm.FindControl(L"under_mystery"), nullptr);
    EXPECT_EQ(pm.FindControl(L"c"), nullptr);
    // Element names ignore case; attribute names of controls do not.
    CControlUI* ok = pm.FindControl(L"ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_STREQ(ok->GetCustomAttribute(L"NAME"), L"lower");

    Factory factory;
    CPaintManagerUI pm2;
    pm2.SetPlatform(&platform);
    CDialogBuilder b2;
    CControlUI* root2 = b2.Create(text.c_str(), nullptr, &factory, &pm2);
    ASSERT_NE(root2, nullptr);
    pm2.AttachDialog(root2);
    CControlUI* custom = pm2.FindControl(L"c");
    ASSERT_NE(custom, nullptr);
    EXPECT_STREQ(custom->GetCustomAttribute(L"answer"), L"42");
    EXPECT_EQ(factory.asked, (std::vector<std::wstring>{L"Mystery", L"Custom"}));
}

TEST_F(Builder, ChildrenOfANonContainerAreDropped) {
    CControlUI* root = build(L"<Window><VerticalLayout><Button name=\"b\"><Label name=\"x\"/></Button>"
                             L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_NE(pm.FindControl(L"b"), nullptr);
    EXPECT_EQ(pm.FindControl(L"x"), nullptr);
}

TEST_F(Builder, FontsFromTheLayout) {
    CControlUI* root = build(
        L"<Window><Font id=\"0\" name=\"\u5B8B\u4F53\" size=\"20\" bold=\"false\" shared=\"true\"/>"
        L"<FONT ID=\"1\" NAME=\"Own\" SIZE=\"14\" BOLD=\"TRUE\" underline=\"true\"/>"
        L"<Font id=\"2\" name=\"A\"/><Font id=\"2\" name=\"B\" size=\"9\"/>"
        L"<Font name=\"NoId\"/><Font id=\"3\"/><Font id=\"-1\" name=\"Negative\"/>"
        L"<Font id=\"4\" name=\"AVeryLongFaceNameThatGoesOnAndOnForEver\"/>"
        L"<Label name=\"l\"/></Window>");
    ASSERT_NE(root, nullptr);
    const ui_font& shared = pm.GetFont(0);
    EXPECT_EQ(shared.face, L"\u5B8B\u4F53");
    EXPECT_EQ(shared.size, 20);
    EXPECT_FALSE(shared.bold);
    const ui_font& own = pm.GetFont(1);
    EXPECT_EQ(own.face, L"Own");
    EXPECT_EQ(own.size, 14);
    EXPECT_TRUE(own.bold);
    EXPECT_TRUE(own.underline);
    EXPECT_EQ(pm.GetFont(2).face, L"B");   // a repeated id replaces
    EXPECT_EQ(pm.GetFont(2).size, 9);
    EXPECT_EQ(pm.GetFont(4).face.size(), 31u);
    // No id, no name, a negative id, an unknown index, -1: the default font.
    for (int index : {3, 5, -1})
        EXPECT_EQ(pm.GetFont(index), pm.GetDefaultFont()) << index;
    EXPECT_EQ(pm.GetDefaultFont().size, 12);

    // The shared font serves another window; the own one does not.
    CPaintManagerUI other;
    EXPECT_EQ(other.GetFont(0).face, L"\u5B8B\u4F53");
    EXPECT_EQ(other.GetFont(1), other.GetDefaultFont());
}

TEST_F(Builder, WindowAttributesApplyInOrder) {
    CControlUI* root = build(L"<Window size=\"980,420\" CAPTION=\"0,0,0,-1\" layeredimage=\"\" bktrans=\"true\" "
                             L"maxinfo=\"1000,500\" mininfo=\"100,50\" size=\"700, 300\"><Label/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(platform.resizes, 2);
    EXPECT_EQ(pm.GetInitSize(), (ui_size{700, 300}));
    EXPECT_EQ(platform.client_size(), (ui_size{700, 300}));
    EXPECT_TRUE(pm.IsLayered());
    EXPECT_TRUE(platform.layered);
    EXPECT_EQ(pm.GetMaxInfo(), (ui_size{1000, 500}));
    EXPECT_EQ(pm.GetMinInfo(), (ui_size{100, 50}));
    EXPECT_STREQ(pm.GetWindowCustomAttribute(L"bktrans"), L"true");
    // The caption's -1 bottom becomes the window's height at the first query, for good.
    platform.set_window_height(333);
    EXPECT_EQ(pm.GetCaptionRect(), (ui_rect{0, 0, 0, 333}));
    platform.set_window_height(500);
    EXPECT_EQ(pm.GetCaptionRect(), (ui_rect{0, 0, 0, 333}));
    // Once a root is attached, "size" no longer resizes.
    pm.SetWindowAttribute(L"size", L"10,10");
    EXPECT_EQ(platform.resizes, 2);
}

TEST_F(Builder, LayeredImageNameIsCaseSensitive) {
    ASSERT_NE(build(L"<Window LayeredImage=\"\"><Label/></Window>"), nullptr);
    EXPECT_FALSE(pm.IsLayered());
    EXPECT_STREQ(pm.GetWindowCustomAttribute(L"LayeredImage"), L"");
}

TEST_F(Builder, LayeredFallsBackToOpaqueWithoutSystemSupport) {
    platform.layered_supported = false;
    ASSERT_NE(build(L"<Window layeredimage=\"\"><Label/></Window>"), nullptr);
    EXPECT_FALSE(pm.IsLayered());
}

TEST_F(Builder, WindowAttributesNeedAWindowAndTheWindowElement) {
    CPaintManagerUI windowless;
    CDialogBuilder b;
    CControlUI* root = b.Create(L"<Window size=\"5,5\" layeredimage=\"\"><Font id=\"7\" name=\"F\"/><Label/></Window>",
                                nullptr, nullptr, &windowless);
    ASSERT_NE(root, nullptr);
    windowless.AttachDialog(root);
    EXPECT_FALSE(windowless.IsLayered());
    EXPECT_EQ(windowless.GetInitSize(), (ui_size{0, 0}));
    EXPECT_EQ(windowless.GetFont(7).face, L"F");   // fonts need no window

    ASSERT_NE(build(L"<Dialog size=\"5,5\"><Label/></Dialog>"), nullptr);
    EXPECT_EQ(platform.resizes, 0);
    EXPECT_EQ(pm.GetInitSize(), (ui_size{0, 0}));
}

TEST_F(Builder, BadMarkupBuildsNothing) {
    const wchar_t* cases[] = {
        L"<Window><Label text=unquoted/></Window>",
        L"<Window><VerticalLayout><Label/></Window>",
        L"<Window><VerticalLayout>",
        L"<Window></Window>",               // no control
        L"<Window><Font id=\"0\" name=\"x\"/></Window>",
        L"<",
    };
    for (const wchar_t* text : cases) {
        CDialogBuilder b;
        EXPECT_EQ(b.Create(text, nullptr, nullptr, &pm), nullptr) << std::wstring(text).size();
    }
    std::wstring deep = L"<Window>";
    for (int i = 0; i < 100000; ++i) deep += L"<VerticalLayout>";
    CDialogBuilder b;
    EXPECT_EQ(b.Create(deep.c_str(), nullptr, nullptr, &pm), nullptr);
    EXPECT_STREQ(b.GetLastErrorMessage(), L"Elements nested too deeply");
}

// ---- layouts from the archive ----

class BuilderArchive : public Builder {
protected:
    void add(const std::string& name, const std::string& bytes) {
        dir.write(name, bytes);
        files.push_back(name);
    }
    void pack(bool store = false) { uitest::use_archive(uitest::make_zip(dir, files, store)); }
    scratch_dir dir;
    std::vector<std::string> files;
};

const std::string kSmallLayout =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"980,420\"><VerticalLayout name=\"root\">"
    "<Label name=\"l\" text=\"\xE5\xAE\x8B\"/></VerticalLayout></Window>";

TEST_F(BuilderArchive, LoadsTheLayoutEntryInAnyCaseWithOrWithoutBom) {
    add("Uninstall.xml", kSmallLayout);
    add("bom.xml", "\xEF\xBB\xBF" + kSmallLayout);
    pack();
    for (const wchar_t* name : {L"Uninstall.xml", L"uninstall.xml", L"UNINSTALL.XML", L"bom.xml"}) {
        CPaintManagerUI m;
        m.SetPlatform(&platform);
        CDialogBuilder b;
        CControlUI* root = b.Create(name, nullptr, nullptr, &m);
        ASSERT_NE(root, nullptr) << b.GetLastErrorMessage();
        m.AttachDialog(root);
        ASSERT_NE(m.FindControl(L"l"), nullptr);
        EXPECT_EQ(m.FindControl(L"l")->GetText(), CDuiString(L"\u5B8B"));
    }
}

TEST_F(BuilderArchive, ReadErrorsBuildNothing) {
    add("layout.xml", kSmallLayout);
    add("empty.xml", "");
    add("broken.xml", "<Window><Label></Window>");
    // Exactly 4 MiB is accepted; one byte more is refused.
    std::string big = kSmallLayout;
    big.resize(0x400000, ' ');
    add("four.xml", big);
    big.push_back(' ');
    add("over.xml", big);
    pack();
    struct Case {
        const wchar_t* entry;
        const wchar_t* message;   // nullptr: builds
    } cases[] = {
        {L"layout.xml", nullptr},
        {L"four.xml", nullptr},
        {L"over.xml", L"File too large"},
        {L"missing.xml", L"Could not find ziped file"},
        {L"empty.xml", L"File is empty"},
        {L"broken.xml", L"Unmatched closing tag"},
        {L"\u5B8B.xml", L"Could not find ziped file"},
    };
    for (const auto& c : cases) {
        CPaintManagerUI m;
        m.SetPlatform(&platform);
        CDialogBuilder b;
        CControlUI* root = b.Create(c.entry, nullptr, nullptr, &m);
        if (!c.message) {
            EXPECT_NE(root, nullptr) << b.GetLastErrorMessage();
            if (root) root->Delete();
        } else {
            EXPECT_EQ(root, nullptr);
            EXPECT_STREQ(b.GetLastErrorMessage(), c.message);
        }
    }
}

TEST_F(BuilderArchive, DamagedEntryBuildsNothing) {
    add("layout.xml", kSmallLayout + std::string(5000, ' '));
    std::vector<uint8_t> zip = uitest::make_zip(dir, files);
    // Damage the deflated data of the one entry.
    size_t data = 30 + (zip[26] | zip[27] << 8) + (zip[28] | zip[29] << 8);
    zip[data + 10] ^= 0xFF;
    zip[data + 11] ^= 0xFF;
    uitest::use_archive(zip);
    CDialogBuilder b;
    EXPECT_EQ(b.Create(L"layout.xml", nullptr, nullptr, &pm), nullptr);
    EXPECT_STREQ(b.GetLastErrorMessage(), L"Could not unzip file");
}

TEST_F(BuilderArchive, BrokenArchivesBuildNothing) {
    add("layout.xml", kSmallLayout);
    const std::vector<uint8_t> good = uitest::make_zip(dir, files);
    const std::vector<std::vector<uint8_t>> archives = {
        std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2),
        std::vector<uint8_t>(good.begin(), good.begin() + 30),
        std::vector<uint8_t>(64, 0),
        {'n', 'o', 't', ' ', 'z', 'i', 'p'},
    };
    for (const auto& bytes : archives) {
        CPaintManagerUI::ResetResourceZip();
        EXPECT_FALSE(CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size())));
        EXPECT_EQ(CPaintManagerUI::GetResourceZip(), nullptr);
        CDialogBuilder b;
        EXPECT_EQ(b.Create(L"layout.xml", nullptr, nullptr, &pm), nullptr);
        EXPECT_STREQ(b.GetLastErrorMessage(), L"Error opening zip file");
    }
    // A valid archive with no entries opens; the layout is simply not in it.
    CPaintManagerUI::ResetResourceZip();
    static const uint8_t empty[22] = {0x50, 0x4b, 0x05, 0x06};
    EXPECT_TRUE(CPaintManagerUI::SetResourceZip(empty, sizeof empty));
    CDialogBuilder b;
    EXPECT_EQ(b.Create(L"layout.xml", nullptr, nullptr, &pm), nullptr);
    EXPECT_STREQ(b.GetLastErrorMessage(), L"Could not find ziped file");
}

TEST_F(BuilderArchive, TheFirstArchiveServesEveryLaterWindow) {
    add("layout.xml", kSmallLayout);
    pack();
    EXPECT_EQ(CPaintManagerUI::GetResourceZipName(), CDuiString(L"membuffer"));
    const zip_archive* first = CPaintManagerUI::GetResourceZip();
    // A second request, even with other bytes, changes nothing.
    static const uint8_t junk[4] = {1, 2, 3, 4};
    EXPECT_TRUE(CPaintManagerUI::SetResourceZip(junk, sizeof junk));
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), first);
    CDialogBuilder b;
    CControlUI* root = b.Create(L"layout.xml", nullptr, nullptr, &pm);
    EXPECT_NE(root, nullptr);
    if (root) root->Delete();
}

TEST_F(Builder, WithoutArchiveTheResourceFolderIsRead) {
    scratch_dir dir;
    dir.write("layout.xml", kSmallLayout);
    CPaintManagerUI::SetResourcePath((widen(dir.path()) + L"/").c_str());
    CDialogBuilder b;
    CControlUI* root = b.Create(L"layout.xml", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr) << b.GetLastErrorMessage();
    root->Delete();
    CDialogBuilder missing;
    EXPECT_EQ(missing.Create(L"nothere.xml", nullptr, nullptr, &pm), nullptr);
    EXPECT_STREQ(missing.GetLastErrorMessage(), L"Error opening file");
    dir.write("empty.xml", std::string());
    CDialogBuilder empty;
    EXPECT_EQ(empty.Create(L"empty.xml", nullptr, nullptr, &pm), nullptr);
    EXPECT_STREQ(empty.GetLastErrorMessage(), L"File is empty");
    // Images come from the folder too, also under a name that is not ASCII.
    dir.write("\xE5\x9B\xBE.png", uitest::make_solid_png(dir, 2, 2, 1, 2, 3, 255));
    const ui_image* image = pm.GetImage(L"\u56FE.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(pm.GetImage(L"\u56FF.png"), nullptr);
    CPaintManagerUI::SetResourcePath(L"");
}

}  // namespace

namespace {

// Counts live instances, to see that nothing built is left without an owner.
class Counted : public CLabelUI {
public:
    Counted() { ++alive; }
    ~Counted() override { --alive; }
    static int alive;
};
int Counted::alive = 0;

class CountingFactory : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* name) override {
        return ui_compare_nocase(name, L"Counted") == 0 ? new Counted : nullptr;
    }
};

TEST_F(Builder, OnlyTheFirstTopLevelControlIsKept) {
    CountingFactory factory;
    {
        CPaintManagerUI m;
        m.SetPlatform(&platform);
        CDialogBuilder b;
        CControlUI* root = b.Create(L"<Window><Counted name=\"one\"/><Counted name=\"two\"/><Counted name=\"three\"/>"
                                    L"</Window>",
                                    nullptr, &factory, &m);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->GetName(), CDuiString(L"one"));
        EXPECT_EQ(Counted::alive, 1);
        m.AttachDialog(root);
        // A control refused by a parent that is no container is destroyed too.
        CDialogBuilder b2;
        CControlUI* other = b2.Create(L"<Window><Button><Counted/></Button></Window>", nullptr, &factory, &m);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(Counted::alive, 1);
        other->Delete();
    }
    EXPECT_EQ(Counted::alive, 0);
}

}  // namespace
