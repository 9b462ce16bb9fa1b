// A manual look at the setup editor on a made-up card (not a test):
//   korvel_setup_demo [TAB] [CSS_FOLDER] [LANGUAGE] [FIRMWARE]
// TAB is the index of the tab to show first, CSS_FOLDER holds style.css,
// LANGUAGE (en, ja, ko) picks an embedded translation; FIRMWARE, a file to
// choose and copy on the upgrade tab at once.

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>
#include <QTranslator>

#include "setup/ConfigUpgrade.h"
#include "setup/DlgConfig.h"
#include "widgets/CConfiguration.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();

    QTranslator translator;
    if (args.size() > 3 && translator.load(":/Language/korvel_len_" + args.at(3) + ".qm")) {
        QApplication::installTranslator(&translator);
    }
    if (args.size() > 2) {
        QFile css(args.at(2) + "/style.css");
        if (css.open(QIODevice::ReadOnly)) {
            g_config.setAppStyle(QString::fromUtf8(css.readAll()));
        }
    }

    QTemporaryDir card;
    QFile info(card.filePath("DVRSETUP.INI"));
    if (info.open(QIODevice::WriteOnly)) {
        info.write(QTextCodec::codecForName("EUC-KR")->fromUnicode(QString::fromUtf8(
            "DVR_NAME=서울12가3456\r\n[INFORMATION]\r\nCAM_MAX=4\r\nFW_VER1=1\r\nFW_VER2=1\r\n"
            "FW_VER3=0\r\nFW_VER4=5\r\n[CAMERA]\r\nTITLE_0=전방\r\nTITLE_1=후방\r\nMIRROR_1=1\r\n"
            "[RECORD]\r\nCAM_REC_BITRATE_0=4096\r\nREC_FPS_2=45\r\n[MOTION_AREA]\r\nSENS_1=15\r\n"
            "SENS_3=6\r\n")));
        info.close();
    }

    DlgConfig dialog;
    dialog.load(info.fileName(), info.fileName());
    if (args.size() > 1) {
        dialog.ui.twConfig->setCurrentIndex(args.at(1).toInt());
    }
    dialog.move(20, 20);
    dialog.show();
    if (args.size() > 4) {
        const QString firmware = args.at(4);
        // Answers the file dialog of the search button, then copies.
        auto* answer = new QTimer(&dialog);
        QObject::connect(answer, &QTimer::timeout, [answer, firmware] {
            if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                answer->stop();
                files->selectFile(firmware);
                static_cast<QDialog*>(files)->accept();
            }
        });
        answer->start(50);
        QTimer::singleShot(500, &dialog, [&dialog] {
            if (dialog.upgrade()->findFile(false)) {
                dialog.upgrade()->ui.pbCopy->click();
            }
        });
    }
    return app.exec();
}
