#pragma once
// Helpers shared by the dialog tests: the application object, text tables
// made by the tests, and a driver that acts on modal dialogs while they run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "talvix/settings/MLang.h"

namespace talvix::ui::testing {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "dialogs_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other exit-time objects
    // crashes in Qt itself.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Caption and program texts in English (language 9) and Japanese (17).
inline const char* const kTable =
    "frmOWDlg\tlblExFile\tExisting file:\t\t\t\t既存のファイル:\t\r\n"
    "frmOWDlg\tlblFolder1\tFolder line one\t\t\t\tフォルダ1\t\r\n"
    "frmOWDlg\tbtnYes\t&Yes\t\t\t\tはい(&Y)\t\r\n"
    "frmOWDlg\tbtnAll\tYes to &All\t\t\t\tすべて(&A)\t\r\n"
    "frmOWDlg\tbtnNo\t&No\t\t\t\tいいえ(&N)\t\r\n"
    "frmOWDlg\tbtnCancel\tCancel\t\t\t\tキャンセル\t\r\n"
    "frmCopy\tbtnCancel\tCancel copy\t\t\t\tキャンセル\t\r\n"
    "frmBrowse\tlblWait\tReading the card...\t\t\t\t読み込み中\t\r\n"
    "frmBrowse\tbtnAbort\t&Stop\t\t\t\t中止\t\r\n"
    "frmWait\tlblWait\tPlease wait...\t\t\t\tお待ちください\t\r\n"
    "frmWait\tbtnAbort\t&Stop\t\t\t\t中止\t\r\n"
    "frmNewFolder\tbtnOk\tOK\t\t\t\tOK\t\r\n"
    "PrgLevel\tTI_OW\tConfirm File Replace\t\t\t\tファイル上書き\t\r\n"
    "PrgLevel\tTI_OWF\tConfirm Folder Replace\t\t\t\tフォルダ上書き\t\r\n"
    "PrgLevel\tLBL_OW1\tA file named '\t\t\t\tファイル「\t\r\n"
    "PrgLevel\tLBL_OW2\t' exists.\t\t\t\t」があります。\t\r\n"
    "PrgLevel\tLBL_OWF1\tA folder named '\t\t\t\tフォルダ「\t\r\n"
    "PrgLevel\tLBL_OWF2\t' exists.\t\t\t\t」があります。\t\r\n"
    "PrgLevel\tLBL_SIZE\tSize: \t\t\t\tサイズ: \t\r\n"
    "PrgLevel\tLBL_DATE\tModified: \t\t\t\t更新日時: \t\r\n"
    "PrgLevel\tLBL_SEP\t, \t\t\t\t \t\r\n"
    "PrgLevel\tTI_COPY\tCopying\t\t\t\tコピー中\t\r\n"
    "PrgLevel\tLB_FROMTEXT\tFrom\t\t\t\tから\t\r\n"
    "PrgLevel\tLB_TOTEXT\tto\t\t\t\tへ\t\r\n"
    "PrgLevel\tTI_BROWSE\tReading the Card\t\t\t\tカード読み込み\t\r\n"
    "PrgLevel\tBTN_NEW\tNew Folder...\t\t\t\t新しいフォルダ...\t\r\n"
    "PrgLevel\tED_NEW\tNew Folder\t\t\t\t新しいフォルダ\t\r\n"
    "PrgLevel\tTI_NEW\tCreate New Folder\t\t\t\t新しいフォルダの作成\t\r\n";

inline std::unique_ptr<MLang> MakeLang(uint16_t language = MLang::kEnglish)
{
    auto lang = std::make_unique<MLang>();
    lang->SetLanguage(language);
    lang->ParseCaptionTable(kTable);
    return lang;
}

// Runs `step` on the UI thread every few milliseconds, with the widget that
// is modal at that moment (null when none), until it returns true. Gives up
// after 10 s: the test fails and the modal dialog is rejected so that the
// test ends instead of hanging.
inline void Drive(std::function<bool(QWidget* modal)> step)
{
    auto* timer = new QTimer(&App());
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, step = std::move(step)] {
        if (step(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            return;
        }
        if (deadline->hasExpired()) {
            ADD_FAILURE() << "a dialog was not driven in time";
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
}

// Runs the event loop until `done` holds (checked every few milliseconds), at
// most 10 s. False on timeout.
inline bool RunUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace talvix::ui::testing
