#include "app/DataFolders.h"
#include "app/HelpFrm.h"
#include "app/MainFrm.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cmath>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SkinsTest : public ::testing::Test {
protected:
    void TearDown() override { qApp->setStyleSheet(QString()); }

    void writeSkin(const QString& name, const QString& sheet)
    {
        QDir(dir.path()).mkpath(QStringLiteral("skins"));
        QFile file(dir.file(QStringLiteral("skins/") + name + QStringLiteral(".qss")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(sheet.toUtf8());
    }

    // A sheet that tells which skin it is.
    static QString sheetOf(const QString& name) { return QStringLiteral("/* %1 */ QLabel { color: red; }").arg(name); }

    void writeSkins(const QStringList& names)
    {
        for (const QString& name : names)
            writeSkin(name, sheetOf(name));
    }

    void remember(const QString& skin)
    {
        QSettings ini(dir.file(QStringLiteral("Device.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("TMainForm/Label1.Caption"), skin);
    }

    static void showAndSettle(TMainForm& form)
    {
        form.show();
        QTest::qWait(30);
    }

    static QStringList menuTexts(const TMainForm& form)
    {
        QStringList texts;
        for (QAction* item : form.skinMenu()->actions())
            texts.append(item->text());
        return texts;
    }

    static QString checkedSkin(const TMainForm& form)
    {
        for (QAction* item : form.skinMenu()->actions())
            if (item->isChecked())
                return item->text();
        return QString();
    }

    static QAction* skinItem(const TMainForm& form, const QString& name)
    {
        for (QAction* item : form.skinMenu()->actions())
            if (item->text() == name)
                return item;
        return nullptr;
    }

    TempWorkDir dir;
    MessageRecorder messages;
};

// A fresh plant folder has neither skins nor help: they come from where the program is installed,
// while a folder's own still come first.
TEST_F(SkinsTest, SkinsAndHelpMissingHereComeFromWhereTheProgramIsInstalled)
{
    QTemporaryDir installedDir;
    QDir(installedDir.path()).mkpath("skins");
    QDir(installedDir.path()).mkpath("help");
    QFile(installedDir.filePath("skins/Installed.qss")).open(QIODevice::WriteOnly);
    QFile(installedDir.filePath("help/index.html")).open(QIODevice::WriteOnly);
    DataFolders::setInstalledForTests(installedDir.path());
    {
        TMainForm form;
        EXPECT_EQ(menuTexts(form), QStringList({"Installed"}));
        EXPECT_EQ(THelpForm::indexPath(), installedDir.filePath("help/index.html"));
        const QStringList places = THelpForm::placesLookedIn();
        ASSERT_GE(places.size(), 3);
        EXPECT_EQ(places.mid(0, 3), QStringList({dir.file("help/index.html"),
                                                 QCoreApplication::applicationDirPath() + "/help/index.html",
                                                 installedDir.filePath("help/index.html")}));
    }
    writeSkins({"Own"});
    {
        TMainForm form;
        EXPECT_EQ(menuTexts(form), QStringList({"Own"}));
    }
    DataFolders::setInstalledForTests({});
    EXPECT_EQ(DataFolders::installed(), QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/instrel"));
}

// Started from a folder without help, with the program neither in a build tree nor installed beside
// its data: the help a package put into the system's data folders is found, in their order.
TEST_F(SkinsTest, HelpFoundInTheSystemDataFolders)
{
    QTemporaryDir installedDir, first, second;
    QDir(second.path()).mkpath("instrel/help");
    QFile(second.filePath("instrel/help/index.html")).open(QIODevice::WriteOnly);
    DataFolders::setInstalledForTests(installedDir.path());
    const QByteArray previous = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", (first.path() + ":relative/share:" + second.path()).toUtf8());
    EXPECT_EQ(THelpForm::indexPath(), second.filePath("instrel/help/index.html"));
    EXPECT_EQ(THelpForm::placesLookedIn(),
              QStringList({dir.file("help/index.html"), QCoreApplication::applicationDirPath() + "/help/index.html",
                           installedDir.filePath("help/index.html"), first.filePath("instrel/help/index.html"),
                           second.filePath("instrel/help/index.html"), "/usr/share/instrel/help/index.html"}));
    // Unset, the XDG default folders are looked in.
    qunsetenv("XDG_DATA_DIRS");
    EXPECT_TRUE(THelpForm::placesLookedIn().contains("/usr/local/share/instrel/help/index.html"));
    qputenv("XDG_DATA_DIRS", previous);
    DataFolders::setInstalledForTests({});
}

// The program in the build tree has its help beside it, whatever folder it is started from.
TEST(BuildTree, HelpAndSkinsLieNextToTheProgram)
{
    for (const char* file : {"/src/help/index.html", "/src/skins/Neutral.qss"})
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(INSTREL_BINARY_DIR) + file)) << file;
}

TEST_F(SkinsTest, SubmenuListsTheSkinsInReverseOrderAsRadioItems)
{
    writeSkins({"A", "B", "C"});
    writeSkin("notes", QString());
    QFile(dir.file("skins/readme.txt")).open(QIODevice::WriteOnly); // not a sheet
    TMainForm form;
    EXPECT_EQ(menuTexts(form), QStringList({"notes", "C", "B", "A"}));
    for (QAction* item : form.skinMenu()->actions()) {
        EXPECT_TRUE(item->isCheckable());
        ASSERT_TRUE(item->actionGroup());
        EXPECT_TRUE(item->actionGroup()->isExclusive());
        EXPECT_FALSE(item->isChecked());
    }
}

TEST_F(SkinsTest, WithoutSkinsDirectoryTheMenuIsEmptyAndTheSkinBecomesNeutral)
{
    TMainForm form;
    EXPECT_TRUE(form.skinMenu()->actions().isEmpty());
    EXPECT_EQ(form.rememberedSkin(), "Label1"); // before the first showing
    showAndSettle(form);
    EXPECT_EQ(form.rememberedSkin(), "Neutral");
    EXPECT_EQ(qApp->styleSheet(), QString());
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(SkinsTest, RememberedSkinIsAppliedAfterTheSettingsWithFallbackToNeutral)
{
    struct Case {
        QStringList skins;
        QString stored; // empty: nothing stored
        QString remembered;
        QString checked;
        QString sheet;
    };
    const Case cases[] = {
        {{"A", "B", "C"}, "B", "B", "B", sheetOf("B")},
        {{"A", "B", "C"}, "b", "b", "B", sheetOf("B")}, // letter case does not matter
        {{"A", "B", "Neutral"}, "Gone", "Neutral", "Neutral", sheetOf("Neutral")},
        {{"A", "B"}, "Gone", "Neutral", "", ""}, // no Neutral sheet: the plain look
        {{"A", "Neutral"}, "", "Neutral", "Neutral", sheetOf("Neutral")},
    };
    for (const Case& c : cases) {
        TempWorkDir caseDir;
        QDir(caseDir.path()).mkpath("skins");
        for (const QString& name : c.skins) {
            QFile file(caseDir.file("skins/" + name + ".qss"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(sheetOf(name).toUtf8());
        }
        if (!c.stored.isEmpty()) {
            QSettings ini(caseDir.file("Device.ini"), QSettings::IniFormat);
            ini.setValue("TMainForm/Label1.Caption", c.stored);
        }
        TMainForm form;
        showAndSettle(form);
        EXPECT_EQ(form.rememberedSkin(), c.remembered) << c.stored.toStdString();
        EXPECT_EQ(checkedSkin(form), c.checked) << c.stored.toStdString();
        EXPECT_EQ(qApp->styleSheet(), c.sheet) << c.stored.toStdString();
        form.close();
        QSettings ini(caseDir.file("Device.ini"), QSettings::IniFormat);
        EXPECT_EQ(ini.value("TMainForm/Label1.Caption").toString(), c.remembered);
        qApp->setStyleSheet(QString());
    }
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(SkinsTest, ChosenSkinIsCheckedAppliedAndRememberedInTheSettings)
{
    writeSkins({"A", "B", "C"});
    {
        TMainForm form;
        showAndSettle(form);
        skinItem(form, "C")->trigger();
        EXPECT_EQ(checkedSkin(form), "C");
        EXPECT_EQ(qApp->styleSheet(), sheetOf("C"));
        EXPECT_EQ(form.rememberedSkin(), "C");

        // A click on the item already checked is ignored: the sheet is not read again.
        writeSkin("C", sheetOf("C, changed"));
        skinItem(form, "C")->trigger();
        EXPECT_EQ(qApp->styleSheet(), sheetOf("C"));
        EXPECT_TRUE(skinItem(form, "C")->isChecked());
        form.close();
    }
    QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value("TMainForm/Label1.Caption").toString(), "C");
    qApp->setStyleSheet(QString());
    TMainForm form;
    showAndSettle(form);
    EXPECT_EQ(checkedSkin(form), "C");
    EXPECT_EQ(qApp->styleSheet(), sheetOf("C, changed"));
}

TEST_F(SkinsTest, SkinWhoseSheetVanishedIsRefusedAndTheCheckMarkStays)
{
    writeSkins({"A", "B"});
    remember("A");
    TMainForm form;
    showAndSettle(form);
    ASSERT_TRUE(QFile::remove(dir.file("skins/B.qss")));
    skinItem(form, "B")->trigger();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QDir::toNativeSeparators(dir.file("skins/B.qss"))));
    EXPECT_EQ(checkedSkin(form), "A");
    EXPECT_EQ(form.rememberedSkin(), "A");
    EXPECT_EQ(qApp->styleSheet(), sheetOf("A"));
}

TEST_F(SkinsTest, AreaBehindTheWindowsReturnsToPlainWithTheNextSkin)
{
    writeSkin("Dark", "QMdiArea { qproperty-background: #102030; }");
    writeSkin("Neutral", QString());
    TMainForm form;
    const QBrush plain = form.mdiArea()->background();
    showAndSettle(form);
    skinItem(form, "Dark")->trigger();
    EXPECT_EQ(form.mdiArea()->background().color(), QColor("#102030"));
    skinItem(form, "Neutral")->trigger();
    EXPECT_EQ(form.mdiArea()->background(), plain);
}

// The fallback to Neutral without a Neutral sheet must not keep the window repainting itself.
TEST_F(SkinsTest, FallbackDoesNotRepaintEndlessly)
{
    writeSkins({"A"});
    remember("Gone");
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    TMainForm form;
    showAndSettle(form);
    QTest::qWait(50);
    form.installEventFilter(&counter);
    QTest::qWait(300);
    EXPECT_LE(counter.paints, 1);
    EXPECT_EQ(form.rememberedSkin(), "Neutral");
}

// Every sheet shipped with the program must parse: Qt ignores a broken sheet with only a warning.
TEST_F(SkinsTest, ShippedSheetsParseAndIncludeNeutral)
{
    const QDir shipped(QStringLiteral(INSTREL_TEST_SOURCE_DIR "/../skins"));
    const QStringList sheets = shipped.entryList({"*.qss"}, QDir::Files, QDir::Name);
    EXPECT_TRUE(sheets.contains("Neutral.qss"));
    EXPECT_GE(sheets.size(), 4);
    static QStringList warnings;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        warnings.append(text);
    });
    for (const QString& name : sheets) {
        QFile file(shipped.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString sheet = QString::fromUtf8(file.readAll());
        // A sheet's font would become the windows' font and be saved as the user's own.
        EXPECT_FALSE(QRegularExpression(QStringLiteral("(^|[;{\\s])font(-[a-z]+)?\\s*:")).match(sheet).hasMatch())
            << name.toStdString();
        warnings.clear();
        qApp->setStyleSheet(sheet);
        TMainForm form; // menus, toolbar, selector and the MDI area take the sheet
        QTableView grid;
        QPushButton button;
        form.ensurePolished();
        grid.ensurePolished();
        button.ensurePolished();
        EXPECT_FALSE(warnings.join('\n').contains("Could not parse")) << name.toStdString();
    }
    qInstallMessageHandler(previous);
}

} // namespace

namespace {

double luminance(QColor c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    double la = luminance(a), lb = luminance(b);
    if (la < lb)
        std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

// Every shipped skin keeps the text of every grid row readable, the alternate rows included: a grid
// with a block glyph in each row is drawn, and glyph and background are compared per row.
TEST(ShippedSkins, GridRowsStayReadable)
{
    const QDir shipped(QStringLiteral(INSTREL_TEST_SOURCE_DIR "/../skins"));
    for (const QString& name : shipped.entryList({QStringLiteral("*.qss")}, QDir::Files)) {
        QFile file(shipped.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        QTableWidget grid(2, 1);
        grid.setAlternatingRowColors(true);
        grid.setItem(0, 0, new QTableWidgetItem(QStringLiteral("█████")));
        grid.setItem(1, 0, new QTableWidgetItem(QStringLiteral("█████")));
        grid.resize(300, 120);
        grid.show();
        QCoreApplication::processEvents();
        const QImage image = grid.viewport()->grab().toImage();
        for (int row = 0; row < 2; ++row) {
            const QRect cell = grid.visualItemRect(grid.item(row, 0));
            const QColor background = image.pixelColor(cell.right() - 4, cell.center().y());
            // The darkest-or-lightest pixel of the glyph run differs most from the background.
            QColor text = background;
            for (int x = cell.left() + 2; x < cell.left() + 40; ++x) {
                const QColor c = image.pixelColor(x, cell.center().y());
                if (contrast(c, background) > contrast(text, background))
                    text = c;
            }
            EXPECT_GE(contrast(text, background), 3.0) << qPrintable(name) << " row " << row;
        }
    }
    qApp->setStyleSheet(QString());
}

} // namespace
