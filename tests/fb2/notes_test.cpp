// Tests of notes and references: which forward button reaches which target,
// anchors, links back to earlier elements, and the note text as return link.
#include "fb2/notes.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "body_fixture.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

class Notes : public test::ConversionTest {
protected:

    // The button pair that the inline markup registers for a link to `id`.
    void RegisterLink(const WString& id, int page, int block) {
        RegisterButton(cv.links, store, {.objid = "bf#" + Narrow(id), .refPage = "", .refObj = ""});
        RegisterButton(cv.links, store, {.objid = "br#" + Narrow(id), .refPage = "p" + std::to_string(page),
                            .refObj = "b" + std::to_string(block)});
    }

    // The text of the first block of the element with `id`, as emitted.
    WString EmitTarget(const WString& id, const WString& text) {
        cv.body.PendingId = id;
        TextContent content = test::Markup(text, true);
        ResolvePendingTarget(store, cv.links, cv.cursor, settings.References, cv.body.PendingId, content);
        return Widen(test::Notation(content));
    }

    void ExpectTarget(size_t button, const std::string& page, const std::string& block) {
        ASSERT_LT(button, cv.store.buttons.size());
        EXPECT_EQ(cv.store.buttons[button].refPage, page) << cv.store.buttons[button].objid;
        EXPECT_EQ(cv.store.buttons[button].refObj, block) << cv.store.buttons[button].objid;
    }
};

TEST_F(Notes, OnlyTheFirstLinkToANoteGetsItsTarget) {
    RegisterLink(u"n1", 1, 5);
    RegisterLink(u"n1", 2, 9);
    cv.cursor.PageCounter = 4;

    EXPECT_EQ(EmitTarget(u"n1", u"<P>Note</P><CR/>"),
              u"<P><CharButton refobj=\"br#n1\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">Note"
              u"</EmpLine></CharButton></P>");
    NoteTargetEmitted(cv.links, u"n1", "b#n1", 3);
    ResolveAnchors(cv.links, store, console);

    ExpectTarget(0, "p3", "b#n1");
    ExpectTarget(1, "p1", "b5");  // return buttons keep their link's place
    ExpectTarget(2, "", "");
    ExpectTarget(3, "p2", "b9");
}

TEST_F(Notes, AnchorParagraphIsReachedAtTheEnd) {
    RegisterLink(u"x", 0, 1);
    cv.cursor.PageCounter = 7;  // the paragraph is read on page 6, in block 42
    cv.cursor.BlockCounter = 42;
    AddAnchor(cv.links, cv.cursor, u"x");
    ExpectTarget(0, "", "");
    ResolveAnchors(cv.links, store, console);
    ExpectTarget(0, "p6", "b42");
}

TEST_F(Notes, LinkBackToAnEarlierSectionIsReached) {
    // The section is emitted before any link names it: a plain block.
    EXPECT_EQ(EmitTarget(u"ch1", u"<P>Chapter</P>"), u"<P>Chapter</P>");
    NoteTargetEmitted(cv.links, u"ch1", "b#ch1", 2);
    RegisterLink(u"ch1", 7, 30);
    ResolveAnchors(cv.links, store, console);
    ExpectTarget(0, "p2", "b#ch1");
}

TEST_F(Notes, UnlinkedSectionsAndUnknownIdsChangeNothing) {
    RegisterLink(u"ghost", 0, 1);
    EXPECT_EQ(EmitTarget(u"s9", u"<P>Plain</P><CR/>"), u"<P>Plain</P><CR/>");
    NoteTargetEmitted(cv.links, u"s9", "b#s9", 0);
    ResolveAnchors(cv.links, store, console);
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
    settings.References.RefNUnderLine = 1;
    RegisterLink(u"n1", 0, 1);
    cv.cursor.InNotesBody = true;
    EXPECT_NE(EmitTarget(u"n1", u"<P>Note</P>").find(u"emplinetype=\"solid\""), WString::npos);
}

TEST_F(Notes, NotesBodyStartsAPageWithoutHeaders) {
    StartNotesBody(cv.cursor, store, settings);
    ASSERT_EQ(cv.store.pages.size(), 1u);
    EXPECT_EQ(cv.store.pages[0].oddHeader, "");
    EXPECT_EQ(cv.cursor.PageCounter, 1);
    EXPECT_FALSE(cv.cursor.InMainBody);
    EXPECT_TRUE(cv.cursor.InNotesBody);
}

}  // namespace
}  // namespace tavorin::fb2
