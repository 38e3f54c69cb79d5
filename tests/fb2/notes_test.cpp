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

    // The button pair that the inline markup registers for a link to `id`,
    // read in block `block`.
    void RegisterLink(const WString& id, uint32_t block) {
        RegisterButton(cv.links, store, "bf#" + Narrow(id));
        RegisterButton(cv.links, store, "br#" + Narrow(id), {ButtonAim::Kind::kBlock, block, {}});
    }

    // The text of the first block of the element with `id`, as emitted.
    WString EmitTarget(const WString& id, const WString& text) {
        cv.links.PendingTarget = id;
        TextContent content = test::Markup(text, true);
        ResolvePendingTarget(store, cv.links, cv.cursor, settings.References, cv.links.PendingTarget, content);
        return Widen(test::Notation(content, &store));
    }

    void ExpectTarget(size_t button, const std::string& block) {
        ASSERT_LT(button, cv.store.buttons.size());
        EXPECT_EQ(Target(button), block) << cv.store.buttons[button].objid;
    }

    // A text block of the body, as the block emitter builds one.
    uint32_t BuildBlock() { return lrf::BuildTextBlock(store, {}, test::Markup(u"<P>x</P>")); }
};

TEST_F(Notes, OnlyTheFirstLinkToANoteGetsItsTarget) {
    RegisterLink(u"n1", 5);
    RegisterLink(u"n1", 9);
    cv.cursor.PageCounter = 4;

    EXPECT_EQ(EmitTarget(u"n1", u"<P>Note</P><CR/>"),
              u"<P><CharButton refobj=\"br#n1\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">Note"
              u"</EmpLine></CharButton></P>");
    BlockBuilt(cv.links, BuildBlock(), u"n1");
    NoteTargetEmitted(cv.links, u"n1", 3);
    ResolveAnchors(cv.links, store, console);

    ExpectTarget(0, "b#n1");
    ExpectTarget(1, "b5");  // return buttons keep their link's place
    ExpectTarget(2, "");
    ExpectTarget(3, "b9");
}

TEST_F(Notes, AnchorParagraphIsReachedAtTheEnd) {
    RegisterLink(u"x", 1);
    cv.cursor.PageCounter = 7;  // the paragraph is read on page 6, in the block built next
    AddAnchor(cv.links, cv.cursor, store, u"x");
    BuildBlock();
    EXPECT_EQ(Aim(0), "");
    ResolveAnchors(cv.links, store, console);
    ExpectTarget(0, "b0");
}

TEST_F(Notes, LinkBackToAnEarlierSectionIsReached) {
    // The section is emitted before any link names it: a plain block.
    EXPECT_EQ(EmitTarget(u"ch1", u"<P>Chapter</P>"), u"<P>Chapter</P>");
    BlockBuilt(cv.links, BuildBlock(), u"ch1");
    NoteTargetEmitted(cv.links, u"ch1", 2);
    RegisterLink(u"ch1", 30);
    ResolveAnchors(cv.links, store, console);
    ExpectTarget(0, "b#ch1");
}

TEST_F(Notes, UnlinkedSectionsAndUnknownIdsChangeNothing) {
    RegisterLink(u"ghost", 1);
    EXPECT_EQ(EmitTarget(u"s9", u"<P>Plain</P><CR/>"), u"<P>Plain</P><CR/>");
    BlockBuilt(cv.links, BuildBlock(), u"s9");
    NoteTargetEmitted(cv.links, u"s9", 0);
    ResolveAnchors(cv.links, store, console);
    ExpectTarget(0, "");
}

TEST_F(Notes, ReturnLinkKeepsParagraphsApart) {
    const std::vector<std::pair<WString, WString>> cases = {
        {u"<P>First paragraph.</P><CR/><P>Second</P><CR/>", u"First paragraph.<CR/>Second"},
        {u"\r\n<P> <Bold>a</Bold> </P>\r\n<CR/>\r\n<P>b</P>", u"<Bold>a</Bold><CR/>b"},
        {u"<CR/><P>x</P><CR/><P/><CR/>", u"x"},
        {u"<P><Italic>One line</Italic></P>", u"<Italic>One line</Italic>"},
    };
    RegisterLink(u"n", 1);
    for (const auto& [text, inside] : cases) {
        const WString link = EmitTarget(u"n", text);
        const size_t start = link.find(u"dotted\">") + 8;
        EXPECT_EQ(link.substr(start, link.find(u"</EmpLine>") - start), inside) << Narrow(text);
    }
}

TEST_F(Notes, NoteLinkLookAppliesInTheNotesBody) {
    settings.References.RefNUnderLine = 1;
    RegisterLink(u"n1", 1);
    cv.cursor.InNotesBody = true;
    EXPECT_NE(EmitTarget(u"n1", u"<P>Note</P>").find(u"emplinetype=\"solid\""), WString::npos);
}

TEST_F(Notes, NotesBodyStartsAPageWithoutHeaders) {
    StartNotesBody(cv.cursor, store, cv.styles);
    ASSERT_EQ(cv.store.pages.size(), 1u);
    EXPECT_EQ(cv.store.pages[0].oddHeader, lrf::kNoRecord);
    EXPECT_EQ(cv.cursor.PageCounter, 1);
    EXPECT_FALSE(cv.cursor.InMainBody);
    EXPECT_TRUE(cv.cursor.InNotesBody);
}

}  // namespace
}  // namespace tavorin::fb2
