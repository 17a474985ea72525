// The translation file: its line rules, its three kinds of section, and what it does to strings,
// dialogs and menus.

#include "app/LocalResources.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<CLocalResources> Loaded(const QByteArray& text) {
    auto r = std::make_unique<CLocalResources>(1);
    r->LoadText(text);
    return r;
}

QString Str(const CLocalResources& r, UINT id) {
    QString s;
    return r.GetString(id, s) ? s : QStringLiteral("<none>");
}

TEST(LocalResources, StringsSection) {
    const auto r = Loaded("// a translation\n"
                                     "STRINGS\n"
                                     "0x1F\tHello\\nWorld\n"
                                     "32 Tab\\there // not part of the text\n"
                                     "0X21\t  spaced  \n"
                                     "40\n"         // no separator: ignored
                                     "junk\tword\n" // not a number: ignored
                                     "32\tAgain\n"  // a later line replaces the earlier
                                     "\n"
                                     "50\tafter the section\n"
                                     "STRINGS\n"
                                     "60\tsecond section does not count\n");
    EXPECT_EQ(Str(*r, 31), QStringLiteral("Hello\nWorld"));
    EXPECT_EQ(Str(*r, 32), QStringLiteral("Again"));
    EXPECT_EQ(Str(*r, 33), QStringLiteral("spaced"));
    for (UINT id : {40u, 50u, 60u})
        EXPECT_EQ(Str(*r, id), QStringLiteral("<none>")) << id;
    EXPECT_EQ(r->GetStringCount(), 3);

    char16_t buffer[5];
    EXPECT_EQ(r->GetString(31, buffer, 5), 4);
    EXPECT_EQ(QString::fromUtf16(buffer), QStringLiteral("Hell"));
    EXPECT_EQ(r->GetString(99, buffer, 5), 0);

    const auto same = Loaded("STRINGS\n31 Hello\n");
    EXPECT_EQ(Str(*same, 31), QStringLiteral("Hello"));
}

TEST(LocalResources, EncodingsAndHostileText) {
    // Windows-1251 bytes that are not UTF-8 read as Cyrillic; UTF-8 reads as UTF-8.
    EXPECT_EQ(Str(*Loaded("STRINGS\n1\t\xCF\xF0\xE8\xE2\xE5\xF2\n"), 1),
              QStringLiteral(u"\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(Str(*Loaded("STRINGS\n1\t\xD0\x9F\xD1\x80\xD0\xB8\n"), 1), QStringLiteral(u"\u041F\u0440\u0438"));
    // Garbage, a huge line and binary bytes leave the tables empty or sane, never a crash.
    QByteArray garbage;
    for (int i = 0; i < 20000; ++i)
        garbage += char((i * 7919) % 256);
    EXPECT_TRUE(Loaded(garbage)->GetMenus().isEmpty());
    const auto huge = Loaded("STRINGS\n7\t" + QByteArray(200000, 'x') + "\n");
    EXPECT_LE(Str(*huge, 7).size(), 70000);
    EXPECT_TRUE(Loaded("DLG\nCAPTION x\n1 y\n\nMENU\nPOPUP z\n")->IsEmpty());
    EXPECT_TRUE(Loaded("STRINGS\n99999999999999999999\tbig\n")->IsEmpty());
    CLocalResources none(1);
    EXPECT_FALSE(none.LoadFile(QStringLiteral("/nonexistent/brellin.ru")));
    EXPECT_TRUE(none.IsEmpty());
}

TEST(LocalResources, DialogsTakeTheirTextsInWindowOrder) {
    const auto r = Loaded("DLG 300\n"
                                     "CAPTION Options\n"
                                     "1001\tFirst\n"
                                     "1002\tSecond\n"
                                     "1003\tThird\n"
                                     "\n"
                                     "DLG 301\n" // no control lines: dropped with its caption
                                     "CAPTION Lost\n"
                                     "\n"
                                     "DLG\n"     // no identifier: ignored with its lines
                                     "CAPTION Nothing\n"
                                     "1 x\n");
    ASSERT_EQ(r->GetDialogs().size(), 1);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("a"));
    auto* group = new QGroupBox(QStringLiteral("b"));
    auto* inner = new QCheckBox(QStringLiteral("c"), group);
    auto* fourth = new QPushButton(QStringLiteral("d"));
    layout->addWidget(label);
    layout->addWidget(group);
    layout->addWidget(fourth);
    r->TranslateDialog(&dialog, 300);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(label->text(), QStringLiteral("First"));
    EXPECT_EQ(group->title(), QStringLiteral("Second"));
    EXPECT_EQ(inner->text(), QStringLiteral("Third"));
    EXPECT_EQ(fourth->text(), QStringLiteral("d")) << "a fourth control keeps its text";
    r->TranslateDialog(&dialog, -1);
    r->TranslateDialog(&dialog, 301);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options"));
}

TEST(LocalResources, MenusInPreOrderWithSeparators) {
    const auto r = Loaded("MENU 128\n"
                                     "POPUP Datei\n"
                                     "MENUITEM Oeffnen\\tStrg+O\n"
                                     "MENUITEM SEPARATOR\n"
                                     "MENUITEM Beenden\n"
                                     "ignored line\n"
                                     "POPUP Hilfe\n"
                                     "\n"
                                     "MENU 129\n"
                                     "POPUP Other\n");
    QMenu bar;
    QMenu* file = bar.addMenu(QStringLiteral("File"));
    QAction* open = file->addAction(QStringLiteral("Open"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Exit"));
    QMenu* help = bar.addMenu(QStringLiteral("Help"));
    QAction* about = help->addAction(QStringLiteral("About"));
    r->TranslateMenu(&bar, 128);
    EXPECT_EQ(file->title(), QStringLiteral("Datei"));
    EXPECT_EQ(open->text(), QStringLiteral("Oeffnen\tStrg+O"));
    EXPECT_EQ(exit->text(), QStringLiteral("Beenden"));
    EXPECT_EQ(help->title(), QStringLiteral("Hilfe"));
    EXPECT_EQ(about->text(), QStringLiteral("About")) << "past its block's texts an item keeps its own";
}

} // namespace
