// korvel-setup: the recorder's setup on a card from the command line (see
// SetupTool.h).

#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

#include "SetupTool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Labels in the user's language, as the viewer chooses it.
    QTranslator translator;
    const QLocale::Language language = QLocale::system().language();
    const QString name = language == QLocale::Korean     ? "ko"
                         : language == QLocale::Japanese ? "ja"
                                                         : "en";
    if (translator.load(":/Language/korvel_len_" + name + ".qm")) {
        QCoreApplication::installTranslator(&translator);
    }

    // Scripts hand over UTF-8 whatever the locale says.
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromUtf8(argv[i]);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");
    const int status = runSetupTool(args, out, err);
    out.flush();
    err.flush();
    return status;
}
