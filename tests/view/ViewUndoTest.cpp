// The document's undo history as the view drives it: deleted objects come back in their place,
// the active object's own steps come first, the memory stays bounded over thousands of steps,
// and a page changed behind the history's back is never "undone" into something else.

#include "TestSupport.h"
#include "ViewFixture.h"

#include "app/ProfileRecords.h"
#include "document/UndoHistory.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"

#include <gtest/gtest.h>

namespace {

struct UndoFixture : ::testing::Test {
    const bool strings = EnsureResourceModule();
    std::unique_ptr<CLumidorDoc> doc = DocWithImage(400, 300, kWhite);
    ShownView shown{doc.get()};
    CLumidorView& view = shown.view;
    CViewUndo& undo = view.GetUndo();
    CUndoHistory& history = doc->GetUndoHistory();
    CObjectList& list = *doc->GetObjectsList(0);

    CTranspBaseClass* AddRect(int x) {
        CUndoAction action(undo);
        doc->AddObjectToList(std::make_unique<CTranspRectangle>(
            &view, RECT{x, 1000, x + 5000, 6000}, COLORREF(0), 0, 0));
        return list.back().get();
    }
    std::vector<CTranspBaseClass*> Objects() const {
        std::vector<CTranspBaseClass*> v;
        for (const auto& o : list) v.push_back(o.get());
        return v;
    }
    LONG LeftOf(const CTranspBaseClass* o) const {
        RECT rc;
        o->GetAlignRect(&rc);
        return rc.left;
    }
};

TEST_F(UndoFixture, DeletedObjectsComeBackInTheirPlaceAndGoAgain) {
    CTranspBaseClass* a = AddRect(1000);
    CTranspBaseClass* b = AddRect(10000);
    CTranspBaseClass* c = AddRect(20000);
    b->SetObjectName("middle");
    {
        CUndoAction action(undo, QStringLiteral("Rename"));
    }
    {
        CUndoAction action(undo);
        view.SetActiveObject(b);
        view.GetArrange().DeleteActiveObject();
    }
    ASSERT_EQ(Objects(), (std::vector<CTranspBaseClass*>{a, c}));
    EXPECT_EQ(undo.GetUndoText(), QStringLiteral("&Undo Delete"));

    undo.OnEditUndo();
    ASSERT_EQ(Objects(), (std::vector<CTranspBaseClass*>{a, b, c}));
    EXPECT_EQ(b->GetObjectName(), QByteArray("middle"));
    EXPECT_EQ(view.GetActiveObject(), nullptr);
    undo.OnEditRedo();
    EXPECT_EQ(Objects(), (std::vector<CTranspBaseClass*>{a, c}));
    // Back through the deletion, the rename and all three creations; then nothing is left.
    for (int i = 0; i < 5; ++i) undo.OnEditUndo();
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(undo.CanUndo());
    for (int i = 0; i < 4; ++i) undo.OnEditRedo();
    EXPECT_EQ(Objects(), (std::vector<CTranspBaseClass*>{a, b, c}));
    // A new change after undoing drops what could have been redone.
    {
        CUndoAction action(undo);
        a->MoveBy(100, 0);
    }
    EXPECT_FALSE(undo.CanRedo());
}

TEST_F(UndoFixture, TheActiveObjectsOwnStepsComeFirstThenItsEditAsOneStep) {
    const TEXTSTYLE style = DefaultTextStyle();
    {
        CUndoAction action(undo);
        doc->AddObjectToList(std::make_unique<CTranspText>(&view, 2000, 8000, &style, "", 0, FALSE));
        view.SetActiveObject(list.back().get());
    }
    auto* text = static_cast<CTranspText*>(list.back().get());
    for (char ch : QByteArray("abc")) {
        CUndoAction action(undo);
        text->OnChar(UINT(ch), 1, 0);
    }
    ASSERT_EQ(text->GetText(), QByteArray("abc"));
    // Typing stays pending while the box is being edited: no step yet besides its creation.
    EXPECT_EQ(history.GetStepCount(), 1);
    while (text->CanUndo()) undo.OnEditUndo();
    const QByteArray afterOwnSteps = text->GetText();
    {
        CUndoAction action(undo);
        text->OnChar(UINT('x'), 1, 0);
    }
    {
        CUndoAction action(undo);
        view.ReleaseActiveObject();
    }
    EXPECT_EQ(history.GetStepCount(), 2);
    EXPECT_EQ(history.GetUndoLabel(), QStringLiteral("Typing"));
    undo.OnEditUndo();
    EXPECT_EQ(text->GetText(), QByteArray());
    EXPECT_FALSE(text->CanUndo()); // the object's own list starts again from the restored state
    undo.OnEditRedo();
    EXPECT_EQ(text->GetText(), afterOwnSteps + "x");
}

TEST_F(UndoFixture, ThousandsOfStepsKeepTheMemoryBounded) {
    for (int i = 0; i < 50; ++i) AddRect(1000 + i * 10);
    CTranspBaseClass* first = list.front().get();
    const LONG start = LeftOf(first);
    for (int i = 0; i < 3000; ++i) {
        CUndoAction action(undo);
        first->MoveBy(1, 0);
    }
    EXPECT_EQ(history.GetStepCount(), CUndoHistory::MAX_STEPS);
    EXPECT_LE(history.GetByteCount(), CUndoHistory::MAX_BYTES);
    int undone = 0;
    while (undo.CanUndo()) {
        undo.OnEditUndo();
        ++undone;
    }
    EXPECT_EQ(undone, CUndoHistory::MAX_STEPS);
    EXPECT_EQ(LeftOf(first), start + 3000 - CUndoHistory::MAX_STEPS);
}

TEST_F(UndoFixture, APageChangedBehindItsBackIsForgottenNotUndone) {
    AddRect(1000);
    AddRect(9000);
    // Taken off the page without the history knowing (nothing in the program does this).
    list.pop_back();
    ASSERT_TRUE(undo.CanUndo());
    EXPECT_FALSE(history.Undo(&view));
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(list.size(), 1u);
    // The page is watched again from its present state.
    AddRect(20000);
    undo.OnEditUndo();
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(UndoFixture, DeletingAPageDropsItsSteps) {
    ASSERT_TRUE(doc->AppendPageFromBitmap(*doc->GetBitmapPage(0)));
    AddRect(1000);
    view.SetActivePage(1);
    {
        CUndoAction action(undo);
        doc->AddObjectToList(std::make_unique<CTranspRectangle>(
            &view, RECT{0, 0, 100, 100}, COLORREF(0), 0, 1));
    }
    EXPECT_EQ(history.GetStepCount(), 2);
    view.SetActivePage(0);
    ASSERT_TRUE(doc->DeletePage(1));
    EXPECT_EQ(history.GetStepCount(), 1);
    undo.OnEditUndo();
    EXPECT_TRUE(list.empty());
}

} // namespace
