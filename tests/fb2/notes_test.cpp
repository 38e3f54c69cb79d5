// Tests of notes and references: which forward button reaches which target,
// anchors, links back to earlier elements, and the note text as return link.
#include "fb2/notes.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/run_state.h"
#include "fb2/conversion_state.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

using lrf::g_store;

class Notes : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRunState();
        ResetFb2State();
        g_settings = BuiltInSettings();
    }

    // The button pair that the inline markup registers for a link to `id`.
    static void RegisterLink(const WString& id, int page, int block) {
        RegisterButton(u" objid=\"bf_" + id + u"\"");
        RegisterButton(u" objid=\"br_" + id + u"\" refpage=\"p" + ToWString(page) + u"\" refobj=\"b" +
                       ToWString(block) + u"\"");
    }

    // The text of the first block of the element with `id`, as emitted.
    static WString EmitTarget(const WString& id, WString text) {
        g_conv.PendingId = id;
        ResolvePendingTarget(text);
        return text;
    }

    static void ExpectTarget(size_t button, const std::string& page, const std::string& block) {
        ASSERT_LT(button, g_store.buttons.size());
        EXPECT_EQ(g_store.buttons[button].refPage, page) << g_store.buttons[button].objid;
        EXPECT_EQ(g_store.buttons[button].refObj, block) << g_store.buttons[button].objid;
    }
};

TEST_F(Notes, OnlyTheFirstLinkToANoteGetsItsTarget) {
    RegisterLink(u"n1", 1, 5);
    RegisterLink(u"n1", 2, 9);
    g_conv.PageCounter = 4;

    EXPECT_EQ(EmitTarget(u"n1", u"<P>Note</P><CR/>"),
              u"<P><CharButton refobj=\"br_n1\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">Note"
              u"</EmpLine></CharButton></P>");
    NoteTargetEmitted(u"n1", "bn1", 3);
    ResolveAnchors();

    ExpectTarget(0, "p3", "bn1");
    ExpectTarget(1, "p1", "b5");  // return buttons keep their link's place
    ExpectTarget(2, "", "");
    ExpectTarget(3, "p2", "b9");
}

TEST_F(Notes, AnchorParagraphIsReachedAtTheEnd) {
    RegisterLink(u"x", 0, 1);
    AddAnchor(u"x", 6, 42);
    ExpectTarget(0, "", "");
    ResolveAnchors();
    ExpectTarget(0, "p6", "b42");
}

TEST_F(Notes, LinkBackToAnEarlierSectionIsReached) {
    // The section is emitted before any link names it: a plain block.
    EXPECT_EQ(EmitTarget(u"ch1", u"<P>Chapter</P>"), u"<P>Chapter</P>");
    NoteTargetEmitted(u"ch1", "bch1", 2);
    RegisterLink(u"ch1", 7, 30);
    ResolveAnchors();
    ExpectTarget(0, "p2", "bch1");
}

TEST_F(Notes, UnlinkedSectionsAndUnknownIdsChangeNothing) {
    RegisterLink(u"ghost", 0, 1);
    EXPECT_EQ(EmitTarget(u"s9", u"<P>Plain</P><CR/>"), u"<P>Plain</P><CR/>");
    NoteTargetEmitted(u"s9", "bs9", 0);
    ResolveAnchors();
    ExpectTarget(0, "", "");
}

TEST_F(Notes, ReturnLinkKeepsParagraphsApart) {
    const std::vector<std::pair<WString, WString>> cases = {
        {u"<P>First paragraph.</P><CR/><P>Second</P><CR/>", u"First paragraph.<CR/>Second"},
        {u"\r\n<P> <Bold>a</Bold> </P>\r\n<CR/>\r\n<P>b</P>", u"<Bold>a</Bold><CR/>b"},
        {u"<CR/><P>x</P><CR/><P/><CR/>", u"x"},
        {u"<P><Italic>One line</Italic></P>", u"<Italic>One line</Italic>"},
    };
    RegisterLink(u"n", 0, 1);
    for (const auto& [text, inside] : cases) {
        const WString link = EmitTarget(u"n", text);
        const size_t start = link.find(u"dotted\">") + 8;
        EXPECT_EQ(link.substr(start, link.find(u"</EmpLine>") - start), inside) << Narrow(text);
    }
}

TEST_F(Notes, NoteLinkLookAppliesInTheNotesBody) {
    g_settings.References.RefNUnderLine = 1;
    RegisterLink(u"n1", 0, 1);
    g_conv.InNotesBody = true;
    EXPECT_NE(EmitTarget(u"n1", u"<P>Note</P>").find(u"emplinetype=\"solid\""), WString::npos);
}

TEST_F(Notes, NotesBodyStartsAPageWithoutHeaders) {
    StartNotesBody();
    ASSERT_EQ(g_store.pages.size(), 1u);
    EXPECT_EQ(g_store.pages[0].oddHeader, "");
    EXPECT_EQ(g_conv.PageCounter, 1);
    EXPECT_FALSE(g_conv.InMainBody);
    EXPECT_TRUE(g_conv.InNotesBody);
}

}  // namespace
}  // namespace tavorin::fb2
