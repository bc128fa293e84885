// The import window on a demonstration plant, reached through the main window's command, and the
// template command whose files the import reads back field for field.

#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/SqlConnection.h"
#include "devices/DeviceImportFrm.h"
#include "devices/ImportTemplate.h"
#include "devices/import/DeviceImport.h"
#include "devices/import/TableSource.h"
#include "support/MessageRecorder.h"
#include "support/ProgramMainWindow.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "tables/FileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

const char* const kFile =
    "Заводской номер;Тип;Марка;Расположение;Состояние;Аббревиатура обслуживания;Бригада;"
    "Дата предыдущего обслуживания;Цвет\n"
    "W-1;Манометр показывающий;МП-100;Котельная;В работе;ТО;Бригада КИП котельной;01.01.2025;синий\n"
    "W-2;Манометр показывающий;МП-100;Котельная;Утерян;;;;\n";

class DeviceImportFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestDatabase::createDemoDatabase(dir.path());
        dm = std::make_unique<TDM>();
        QFile file(dir.file("in.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kFile);
    }
    void TearDown() override
    {
        main.reset();
        dm.reset();
    }
    int devices(const QString& serial)
    {
        return dm->ADOConnection()->scalar("select count(*) from Device where ZNumber = '" + serial + "'").toInt();
    }
    // The dialog as the user opens it: File, then the import command.
    TDeviceImportForm* openFromMenu()
    {
        main = showProgramMainWindow();
        auto* file = main->findChild<QMenu*>("File1");
        EXPECT_TRUE(file && file->actions().contains(main->action("ImportDevices")));
        main->action("ImportDevices")->trigger();
        return main->findChild<TDeviceImportForm*>();
    }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TMainForm> main;
};

} // namespace

TEST_F(DeviceImportFormTest, PreviewCheckAndImportFromTheMenu)
{
    TDeviceImportForm* form = openFromMenu();
    ASSERT_TRUE(form);
    form->setFileName(dir.file("in.csv"));

    auto* mapping = form->findChild<QTableWidget*>("gridMapping");
    ASSERT_EQ(mapping->rowCount(), 9);
    EXPECT_EQ(form->findChild<QLabel*>("labelUnmapped")->text(), "Не импортируются: Цвет");
    auto* preview = form->findChild<QTableWidget*>("gridPreview");
    ASSERT_EQ(preview->rowCount(), 2);
    EXPECT_EQ(preview->item(0, 1)->text(), "Принято");
    EXPECT_EQ(preview->item(1, 1)->text(), "Отказ: Состояние: «Утерян» нет в списке «Состояния»");

    form->findChild<QPushButton*>("btnCheck")->click();
    EXPECT_EQ(form->lastResult().refused, 1);
    EXPECT_EQ(form->findChild<QTableWidget*>("gridReport")->rowCount(), 1);
    ASSERT_TRUE(form->saveReport(dir.file("report.csv")));
    QFile report(dir.file("report.csv"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(report.readAll()).contains("3;Состояние;«Утерян» нет в списке «Состояния»;отказ"));

    // Leaving the colour out and taking the state as the comment instead lets the file in.
    auto* stateCombo = qobject_cast<QComboBox*>(mapping->cellWidget(4, 1));
    ASSERT_TRUE(stateCombo);
    stateCombo->setCurrentIndex(stateCombo->findText("Комментарий"));
    EXPECT_EQ(preview->item(1, 1)->text(), "Принято");
    form->findChild<QPushButton*>("btnImport")->click();
    EXPECT_TRUE(form->lastResult().stored) << DeviceImport::summary(form->lastResult()).toStdString();
    EXPECT_EQ(devices("W-1") + devices("W-2"), 2);
    EXPECT_EQ(dm->ADOConnection()->scalar("select Comments from Device where ZNumber = 'W-2'").toString(), "Утерян");

    // The mapping is remembered for this set of titles.
    TDeviceImportForm again(*dm->ADOConnection());
    again.setFileName(dir.file("in.csv"));
    auto* combo = qobject_cast<QComboBox*>(again.findChild<QTableWidget*>("gridMapping")->cellWidget(4, 1));
    EXPECT_EQ(combo->currentText(), "Комментарий");
}

TEST_F(DeviceImportFormTest, TemplateFilesMapEveryFieldBack)
{
    main = showProgramMainWindow();
    FileDialogs::setNextSaveFileName(dir.file("шаблон.xlsx"));
    main->action("ImportTemplate")->trigger();
    for (const char* name : {"шаблон.xlsx", "шаблон.csv"}) {
        SCOPED_TRACE(name);
        QString error;
        auto rows = openTableSource(dir.file(QString::fromUtf8(name)), {}, error);
        ASSERT_TRUE(rows) << error.toStdString();
        QStringList header;
        ASSERT_TRUE(DeviceImport::readHeader(*rows, 0, header, error));
        const ImportMapping mapping(header);
        EXPECT_TRUE(mapping.unmappedColumns().isEmpty()) << mapping.unmappedColumns().join(", ").toStdString();
        for (const ImportFieldSpec& spec : importFields())
            EXPECT_TRUE(mapping.isMapped(spec.field)) << spec.name.toStdString();
    }
}
