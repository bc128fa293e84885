#pragma once

#include "LabourFixture.h"

#include "app/MainFrm.h"
#include "app/WindowRegistry.h"
#include "data/Dataset.h"
#include "labour/AccountFrm.h"
#include "text/StrList.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>
#include <memory>

// The labour window opened as the user opens it: through the main window's command.
class AccountFormTest : public LabourFixture {
protected:
    void SetUp() override
    {
        LabourFixture::SetUp();
        setLanguageIndex(1);
        registerProgramWindows();
        main = std::make_unique<TMainForm>();
        main->show();
        QTest::qWait(20);
        main->updateActions();
    }
    void TearDown() override
    {
        main.reset();
        setLanguageIndex(INSTREL_LANGUAGE);
    }

    TAccountForm& open()
    {
        main->action("OpenAccount")->trigger();
        form = qobject_cast<TAccountForm*>(main->findChildWindow("TAccountForm"));
        EXPECT_TRUE(form);
        QCoreApplication::processEvents();
        return *form;
    }
    TAccountForm& openPage(int page)
    {
        open();
        tabs()->setCurrentIndex(page);
        swap();
        return *form;
    }
    void swap()
    {
        settle();
        form->action("Swap")->trigger();
        settle();
    }
    void settle()
    {
        form->updateOnIdle();
        form->updatePageButtons();
    }

    template <class T>
    T* child(const QString& name)
    {
        T* found = form->findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    Dataset* ds(const QString& name) { return child<Dataset>(name); }
    QTabWidget* tabs() { return child<QTabWidget>("FormPanel"); }
    QAbstractButton* button(const QString& name) { return child<QAbstractButton>(name); }
    void click(const QString& name)
    {
        settle();
        QAbstractButton* b = button(name);
        ASSERT_TRUE(b->isEnabled()) << name.toStdString();
        b->click();
        QCoreApplication::processEvents();
        settle();
    }
    // The user chooses a crew in a page's selector.
    void chooseCrew(const QString& selector, qint64 crew)
    {
        auto* combo = child<QComboBox>(selector);
        const int index = combo->findData(crew);
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        settle();
    }
    QStringList shownButtons()
    {
        QStringList names;
        for (const char* name : {"btnFirst", "btnPrior", "btnNext", "btnLast", "btnInsert", "btnSame", "btnDelete",
                                 "btnPrint", "btnPrintDevType", "btnPrintCrewList", "btnPrintNormAcc"})
            if (!button(name)->isHidden())
                names.append(QString::fromLatin1(name));
        return names;
    }

    std::unique_ptr<TMainForm> main;
    TAccountForm* form = nullptr;
};
