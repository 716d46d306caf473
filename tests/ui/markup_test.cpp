// The layout markup parser: structure, entities, case rules, errors, limits.
#include <gtest/gtest.h>

#include <string>

#include "ui/markup.h"

namespace {

TEST(Markup, ParsesElementsAttributesAndNesting) {
    CMarkup xml(L"<Window size=\"980,420\" caption=\"0,0,0,-1\">"
                L"<Font id=\"0\" name=\"x\"/>"
                L"<VerticalLayout><HorizontalLayout name=\"a\"/><HorizontalLayout name=\"b\"></HorizontalLayout>"
                L"</VerticalLayout></Window>");
    ASSERT_TRUE(xml.IsValid()) << xml.GetLastErrorMessage();
    CMarkupNode root = xml.GetRoot();
    EXPECT_STREQ(root.GetName(), L"Window");
    ASSERT_EQ(root.GetAttributeCount(), 2);
    EXPECT_STREQ(root.GetAttributeName(0), L"size");
    EXPECT_STREQ(root.GetAttributeValue(0), L"980,420");
    EXPECT_STREQ(root.GetAttributeValue(L"caption"), L"0,0,0,-1");
    EXPECT_EQ(root.GetAttributeValue(L"missing"), nullptr);

    CMarkupNode font = root.GetChild();
    EXPECT_STREQ(font.GetName(), L"Font");
    EXPECT_FALSE(font.HasChildren());
    CMarkupNode layout = font.GetSibling();
    EXPECT_STREQ(layout.GetName(), L"VerticalLayout");
    EXPECT_FALSE(layout.HasSiblings());
    CMarkupNode a = layout.GetChild();
    CMarkupNode b = a.GetSibling();
    EXPECT_STREQ(a.GetAttributeValue(L"name"), L"a");
    EXPECT_STREQ(b.GetAttributeValue(L"name"), L"b");
    EXPECT_FALSE(b.GetSibling().IsValid());
    EXPECT_STREQ(b.GetParent().GetName(), L"VerticalLayout");
    EXPECT_FALSE(root.GetParent().IsValid());
}

TEST(Markup, ElementNamesIgnoreCaseAttributeNamesDoNot) {
    CMarkup xml(L"<window><FONT id=\"1\"/><verticallayout Name=\"x\"></VERTICALLAYOUT></WINDOW>");
    ASSERT_TRUE(xml.IsValid()) << xml.GetLastErrorMessage();
    CMarkupNode root = xml.GetRoot();
    EXPECT_TRUE(root.GetChild(L"Font").IsValid());
    CMarkupNode layout = root.GetChild(L"VerticalLayout");
    ASSERT_TRUE(layout.IsValid());
    EXPECT_EQ(layout.GetAttributeValue(L"name"), nullptr);
    EXPECT_STREQ(layout.GetAttributeValue(L"Name"), L"x");
}

TEST(Markup, EntitiesAreReplacedAndOtherAmpersandsKept) {
    struct Case {
        const wchar_t* raw;
        const wchar_t* value;
    } cases[] = {
        {L"&amp;", L"&"},
        {L"a &lt;b&gt; c", L"a <b> c"},
        {L"&quot;q&quot; &apos;s&apos;", L"\"q\" 's'"},
        {L"Tom & Jerry", L"Tom & Jerry"},
        {L"&unknown; &amp", L"&unknown; &amp"},
        {L"&amp;lt;", L"&lt;"},
        {L"  spaced  ", L"  spaced  "},
        {L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring text = std::wstring(L"<Label text=\"") + c.raw + L"\" next=\"after\"/>";
        CMarkup xml(text.c_str());
        ASSERT_TRUE(xml.IsValid()) << xml.GetLastErrorMessage();
        EXPECT_EQ(std::wstring(xml.GetRoot().GetAttributeValue(L"text")), c.value) << std::wstring(c.raw).size();
        // The value that follows is not disturbed by the in-place rewrite.
        EXPECT_STREQ(xml.GetRoot().GetAttributeValue(L"next"), L"after");
    }
}

TEST(Markup, DeclarationsCommentsAndTextAreSkipped) {
    CMarkup xml(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- a <comment> -->\n"
                L"<Window>text that is not used<!-- inner --><Label name=\"l\"/>more</Window>\n");
    ASSERT_TRUE(xml.IsValid()) << xml.GetLastErrorMessage();
    EXPECT_STREQ(xml.GetRoot().GetName(), L"Window");
    CMarkupNode label = xml.GetRoot().GetChild();
    EXPECT_STREQ(label.GetName(), L"Label");
    EXPECT_FALSE(label.GetSibling().IsValid());
}

TEST(Markup, ByteOrderMarkMakesNoDifference) {
    const std::string body = "<Window caption=\"0,0,0,-1\"><Label text=\"\xE5\xAE\x8B\xE4\xBD\x93\"/></Window>";
    const std::string with_bom = "\xEF\xBB\xBF" + body;
    CMarkup plain, bom;
    ASSERT_TRUE(plain.LoadFromMem(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
    ASSERT_TRUE(bom.LoadFromMem(reinterpret_cast<const uint8_t*>(with_bom.data()), with_bom.size()));
    EXPECT_STREQ(bom.GetRoot().GetName(), L"Window");
    EXPECT_STREQ(plain.GetRoot().GetChild().GetAttributeValue(L"text"), L"\u5B8B\u4F53");
    EXPECT_STREQ(bom.GetRoot().GetChild().GetAttributeValue(L"text"), L"\u5B8B\u4F53");
}

TEST(Markup, ErrorsCarryTheirMessage) {
    struct Case {
        const wchar_t* text;
        const wchar_t* message;
    } cases[] = {
        {L"", L"Expected start tag"},
        {L"   ", L"Expected start tag"},
        {L"just text", L"Expected start tag"},
        {L"<Window></Window> trailing", L"Expected start tag"},
        {L"< >", L"Error parsing element name"},
        {L"<Window><></Window>", L"Error parsing element name"},
        {L"<Window size=\"1\" <Label/></Window>", L"Error while parsing attributes"},
        {L"<Window size 1/>", L"Error while parsing attributes"},
        {L"<Window size=1/>", L"Expected attribute value"},
        {L"<Window size='1'/>", L"Expected attribute value"},
        {L"<Window size=\"1/>", L"Error while parsing attribute string"},
        {L"<Window size=\"1\"", L"Expected start-tag closing"},
        {L"<Window size=\"1\" / >", L"Expected start-tag closing"},
        {L"<Window><Label/>", L"Expected end-tag start"},
        {L"<Window><Label>", L"Expected end-tag start"},
        {L"<Window></Label>", L"Unmatched closing tag"},
        {L"<Window></Window", L"Unmatched closing tag"},
        {L"</Window>", L"Unmatched closing tag"},
    };
    for (const auto& c : cases) {
        CMarkup xml;
        EXPECT_FALSE(xml.Load(c.text)) << std::wstring(c.text).size();
        EXPECT_FALSE(xml.IsValid());
        EXPECT_FALSE(xml.GetRoot().IsValid());
        EXPECT_STREQ(xml.GetLastErrorMessage(), c.message);
    }
}

TEST(Markup, NestingIsBounded) {
    // Right at the limit parses; one more level fails without exhausting the stack.
    auto nested = [](int depth) {
        std::wstring s;
        for (int i = 0; i < depth; ++i) s += L"<a>";
        for (int i = 0; i < depth; ++i) s += L"</a>";
        return s;
    };
    CMarkup ok;
    EXPECT_TRUE(ok.Load(nested(CMarkup::kMaxDepth).c_str())) << ok.GetLastErrorMessage();
    CMarkup deep;
    EXPECT_FALSE(deep.Load(nested(CMarkup::kMaxDepth + 1).c_str()));
    EXPECT_STREQ(deep.GetLastErrorMessage(), L"Elements nested too deeply");
    CMarkup huge;
    EXPECT_FALSE(huge.Load(nested(100000).c_str()));
    EXPECT_STREQ(huge.GetLastErrorMessage(), L"Elements nested too deeply");
    // Unclosed too: the limit, not the missing end tags, stops it.
    std::wstring open_only;
    for (int i = 0; i < 100000; ++i) open_only += L"<a>";
    CMarkup unclosed;
    EXPECT_FALSE(unclosed.Load(open_only.c_str()));
}

TEST(Markup, ManySiblingsAreFine) {
    std::wstring s = L"<Window>";
    for (int i = 0; i < 20000; ++i) s += L"<Label name=\"n" + std::to_wstring(i) + L"\"/>";
    s += L"</Window>";
    CMarkup xml(s.c_str());
    ASSERT_TRUE(xml.IsValid());
    int count = 0;
    for (CMarkupNode n = xml.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling()) ++count;
    EXPECT_EQ(count, 20000);
}

TEST(Markup, Utf8DecodingReplacesInvalidSequences) {
    struct Case {
        std::string bytes;
        std::wstring wide;
    } cases[] = {
        {"abc", L"abc"},
        {"\xE5\xAE\x8B", L"\u5B8B"},
        {"\xC3\xA9", L"\u00E9"},
        {"\xFF", L"\uFFFD"},
        {"\xE5\xAE", L"\uFFFD\uFFFD"},          // truncated sequence at the end
        {"\xC0\xAF", L"\uFFFD\uFFFD"},          // overlong
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // a surrogate half
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui_utf8_to_wide(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()), c.wide)
            << c.bytes.size();
    }
    const std::string emoji = "\xF0\x9F\x98\x80";
    std::wstring w = ui_utf8_to_wide(reinterpret_cast<const uint8_t*>(emoji.data()), emoji.size());
    if (sizeof(wchar_t) == 2) {
        EXPECT_EQ(w, std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
    } else {
        EXPECT_EQ(w, std::wstring(1, wchar_t(0x1F600)));
    }
}

TEST(Markup, ReloadingReplacesTheOldDocument) {
    CMarkup xml(L"<A x=\"1\"/>");
    ASSERT_TRUE(xml.IsValid());
    EXPECT_FALSE(xml.Load(L"<B"));
    EXPECT_FALSE(xml.GetRoot().IsValid());
    EXPECT_TRUE(xml.Load(L"<C/>"));
    EXPECT_STREQ(xml.GetRoot().GetName(), L"C");
    EXPECT_STREQ(xml.GetLastErrorMessage(), L"");
}

}  // namespace
