// korvel-setup and the INI editor under it, on setup files written by the card
// generator: a save changes only what it was asked to, byte for byte.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <string>
#include <vector>

#include "MakeCard.h"
#include "ReadOnlyFolder.h"
#include "SetupIni.h"
#include "SetupTool.h"
#include "setup/IniDocument.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The lines of `after` that differ from `before`, which must have as many.
std::vector<std::string> changedLines(const QByteArray& before, const QByteArray& after) {
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    std::vector<std::string> changed;
    if (a.size() != b.size()) {
        return {"line count " + std::to_string(a.size()) + " -> " + std::to_string(b.size())};
    }
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i) != b.at(i)) {
            changed.push_back(b.at(i).toStdString());
        }
    }
    return changed;
}

struct ToolRun {
    int status = 0;
    QString out;
    QString err;
};

ToolRun tool(const QStringList& args) {
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = runSetupTool(args, out, err);
    out.flush();
    err.flush();
    return run;
}

// Setup files of a generated card, without its recordings.
class SetupCard : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void generate(int channels, mkcard::CardOptions o = {}) {
        o.channels = channels;
        o.outDir = dir.path().toStdString();
        std::string error;
        ASSERT_TRUE(mkcard::validateOptions(o, &error)) << error;
        ASSERT_TRUE(mkcard::writeSetupIni(o, &error)) << error;
    }
    QString info() const { return dir.filePath("DVRSETUP.INI"); }
    QString target() const { return dir.filePath("ZD-3100.INI"); }

    // field key -> JSON object of `show`.
    QMap<QString, QJsonObject> show() {
        const ToolRun run = tool({"show", dir.path()});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QMap<QString, QJsonObject> fields;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
            fields.insert(doc.object().value("key").toString(), doc.object());
        }
        return fields;
    }

    QTemporaryDir dir;
};

}  // namespace

TEST(IniDocument, EditsOneValueAndKeepsEveryOtherByte) {
    const QByteArray text =
        "; made by hand\r\nDVR_NAME=a;b,c\\d\"e \r\nmodel_no = 7\r\n\r\n[camera]\r\n"
        "TITLE_0= Front \r\nTITLE_0=shadowed\r\n\r\n[RECORD]\r\nREC_FPS_0=15\r\n"
        "[CAMERA]\r\nMIRROR_0=1\r\n";
    IniDocument doc(text);
    // Plain values: no comment, list, escape or quote handling; first key wins,
    // names match without regard to case, sections may come twice.
    EXPECT_EQ(doc.value("DVR_NAME"), QByteArray("a;b,c\\d\"e "));
    EXPECT_EQ(doc.value("/MODEL_NO"), QByteArray(" 7"));
    EXPECT_EQ(doc.value("CAMERA/TITLE_0"), QByteArray(" Front "));
    EXPECT_EQ(doc.value("CAMERA/MIRROR_0"), QByteArray("1"));
    EXPECT_FALSE(doc.value("RECORD/MIRROR_0"));
    EXPECT_FALSE(doc.value("; made by hand"));

    ASSERT_TRUE(doc.setValue("CAMERA/TITLE_0", "Rear"));
    ASSERT_TRUE(doc.setValue("MODEL_NO", "8"));
    QByteArray expected = text;
    expected.replace("TITLE_0= Front ", "TITLE_0=Rear").replace("model_no = 7", "model_no =8");
    EXPECT_EQ(doc.bytes(), expected);

    // Missing keys go after the last line of their section's first block, a
    // missing section at the end after a blank line, in the file's line ends.
    ASSERT_TRUE(doc.setValue("CAMERA/FLIP_0", "0"));
    ASSERT_TRUE(doc.setValue("BATT_TIME", "2"));
    ASSERT_TRUE(doc.setValue("DISK/DISK_USAGE", "4"));
    EXPECT_EQ(doc.bytes(), QByteArray("; made by hand\r\nDVR_NAME=a;b,c\\d\"e \r\nmodel_no =8\r\n"
                                      "BATT_TIME=2\r\n\r\n[camera]\r\nTITLE_0=Rear\r\n"
                                      "TITLE_0=shadowed\r\nFLIP_0=0\r\n\r\n[RECORD]\r\n"
                                      "REC_FPS_0=15\r\n[CAMERA]\r\nMIRROR_0=1\r\n\r\n[DISK]\r\n"
                                      "DISK_USAGE=4\r\n"));

    // A line break or a name that would read back as something else is refused.
    const QByteArray before = doc.bytes();
    EXPECT_FALSE(doc.setValue("DVR_NAME", "a\r\nDISK_USAGE=8"));
    EXPECT_FALSE(doc.setValue("[X", "1"));
    EXPECT_FALSE(doc.setValue("A=B", "1"));
    EXPECT_FALSE(doc.setValue("X]/K", "1"));
    EXPECT_EQ(doc.bytes(), before);
}

TEST(IniDocument, NewLinesFollowTheFile) {
    IniDocument lf("[A]\nX=1");  // no line end after the last line
    ASSERT_TRUE(lf.setValue("A/Y", "2"));
    ASSERT_TRUE(lf.setValue("TOP", "0"));
    EXPECT_EQ(lf.bytes(), QByteArray("TOP=0\n[A]\nX=1\nY=2"));

    // Top-level keys as Qt's own writer keeps them.
    IniDocument general("[General]\nDVR_NAME=x\n[A]\nX=1\n");
    EXPECT_EQ(general.value("DVR_NAME"), QByteArray("x"));
    ASSERT_TRUE(general.setValue("DVR_NAME", "y"));
    EXPECT_EQ(general.bytes(), QByteArray("[General]\nDVR_NAME=y\n[A]\nX=1\n"));

    // A file cut after the CR of its last CR LF: the CR is no value byte, and
    // a line written after it does not make it part of that value.
    for (const char* key : {"TOP", "A/Y", "B/Z"}) {
        IniDocument cut("[A]\r\nX=1\r");
        EXPECT_EQ(cut.value("A/X"), QByteArray("1"));
        ASSERT_TRUE(cut.setValue(key, "2"));
        EXPECT_EQ(IniDocument(cut.bytes()).value("A/X"), QByteArray("1")) << key;
    }

    IniDocument blankFirst("\n[A]\nX=1\n");
    EXPECT_EQ(blankFirst.value("A/X"), QByteArray("1"));

    IniDocument empty{QByteArray()};
    ASSERT_TRUE(empty.setValue("S/K", ""));
    EXPECT_EQ(empty.bytes(), QByteArray("[S]\r\nK=\r\n"));
    EXPECT_EQ(empty.value("S/K"), QByteArray());
}

TEST_F(SetupCard, ShowLoadsNumberedKeysAndTextsExactly) {
    mkcard::CardOptions o;
    o.vehicleNumber = "서울 12,3;4\\\"";
    o.titles = {" Front ", "정문"};
    generate(4, o);
    const QMap<QString, QJsonObject> fields = show();
    ASSERT_EQ(fields.size(), 19 + 4 * 6 + 1);
    EXPECT_EQ(fields["DVR_NAME"]["value"].toString(), QString::fromUtf8("서울 12,3;4\\\""));
    EXPECT_EQ(fields["CAMERA/TITLE_0"]["value"].toString(), QString(" Front "));
    EXPECT_EQ(fields["CAMERA/TITLE_1"]["value"].toString(), QString::fromUtf8("정문"));
    EXPECT_EQ(fields["CAMERA/TITLE_3"]["value"].toString(), QString("CH4"));
    EXPECT_EQ(fields["CAMERA/TITLE_3"]["label"].toString(), QString("CH4: TITLE"));
    EXPECT_EQ(fields["CAMERA/TITLE_3"]["tab"].toString(), QString("camera"));
    EXPECT_EQ(fields["RECORD/REC_FPS_3"]["from"].toString(), QString("DVRSETUP.INI"));
    EXPECT_FALSE(fields.contains("CAMERA/TITLE_4"));
    EXPECT_EQ(fields["DISK/DISK_USAGE"]["allowed"].toArray().size(), 9);  // firmware 1.1.0.5

    // The same field filtered, a top-level key also written with "/".
    const ToolRun one = tool({"show", dir.path(), "/dvr_name"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out.count('\n'), 1);
}

TEST_F(SetupCard, FirstSetCopiesDvrSetupAndChangesOneLine) {
    generate(2);
    const QByteArray original = readFile(info());

    const ToolRun run = tool({"set", dir.path(), "CAMERA/TITLE_1=Rear; gate \"B\""});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(info()), original);  // never written
    const QByteArray saved = readFile(target());
    EXPECT_EQ(changedLines(original, saved),
              std::vector<std::string>{"TITLE_1=Rear; gate \"B\"\r"});

    // Setting what is already there writes nothing new.
    const QDateTime written = QFileInfo(target()).lastModified();
    EXPECT_EQ(tool({"set", dir.path(), "CAMERA/TITLE_1=Rear; gate \"B\""}).status, 0);
    EXPECT_EQ(readFile(target()), saved);
    EXPECT_EQ(QFileInfo(target()).lastModified(), written);
}

TEST_F(SetupCard, TargetFirstThenDvrSetupThenDefault) {
    mkcard::CardOptions o;
    o.modelIni = true;
    o.modelSettings = {{"CAMERA/TITLE_0", "Pending"}, {"EXTRA/KEEP", "yes"}};
    generate(2, o);
    // A ZD-3100.INI that lacks keys: they come from DVRSETUP.INI.
    QByteArray model = readFile(target());
    model.replace("SENS_1=7\r\n", "");
    writeFile(target(), model);
    writeFile(info(), readFile(info()).replace("SENS_1=7", "SENS_1=30"));

    QMap<QString, QJsonObject> fields = show();
    EXPECT_EQ(fields["CAMERA/TITLE_0"]["value"].toString(), QString("Pending"));
    EXPECT_EQ(fields["CAMERA/TITLE_0"]["from"].toString(), QString("ZD-3100.INI"));
    EXPECT_EQ(fields["MOTION_AREA/SENS_1"]["value"].toString(), QString("30"));
    EXPECT_EQ(fields["MOTION_AREA/SENS_1"]["from"].toString(), QString("DVRSETUP.INI"));

    // Without either key, the default.
    writeFile(info(), readFile(info()).replace("SENS_1=30\r\n", ""));
    fields = show();
    EXPECT_EQ(fields["MOTION_AREA/SENS_1"]["value"].toString(), QString("7"));
    EXPECT_EQ(fields["MOTION_AREA/SENS_1"]["from"].toString(), QString());

    // Unknown sections and keys stay where they were; a missing key joins its
    // section.
    ASSERT_EQ(tool({"set", dir.path(), "DISK/DISK_USAGE=0"}).status, 0);
    EXPECT_EQ(changedLines(model, readFile(target())), std::vector<std::string>{"DISK_USAGE=0\r"});
    ASSERT_EQ(tool({"set", dir.path(), "MOTION_AREA/SENS_1=2"}).status, 0);
    EXPECT_TRUE(
        readFile(target()).endsWith("[MOTION_AREA]\r\nSENS_0=7\r\nSENS_1=2\r\n\r\n[DISK]\r\n"
                                    "DISK_USAGE=0\r\n\r\n[EXTRA]\r\nKEEP=yes\r\n"))
        << readFile(target()).right(80).toStdString();
}

TEST_F(SetupCard, RefusalsAndFailuresWriteNothing) {
    generate(2);
    // An older recorder: preset I is not offered.
    writeFile(info(), readFile(info()).replace("FW_VER4=5", "FW_VER4=1"));
    const QByteArray original = readFile(info());

    const std::vector<QStringList> refused = {
        {"NO_SUCH_KEY=1"},
        {"CAMERA/TITLE_2=x"},  // a third camera the card does not have
        {"RECORD/REC_FPS_0=31"},
        {"RECORD/REC_FPS_0=015"},
        {"SHOCK_PARK_X=0"},
        {"MOTION_AREA/SENS_0=6"},
        {"RECORD/CAM_REC_BITRATE_1=500"},
        {"DATE_TIME/TIMEZONE=90"},
        {"DISK/DISK_USAGE=8"},
        {"AUDIO/MIC=true"},
        {"DATE_TIME/SET_DATE=20260230"},
        {"CAMERA/TITLE_0=" + QString(33, 'x')},
        {"CAMERA/TITLE_0=" + QString::fromUtf8("\xF0\x9F\x9A\x97")},  // no EUC-KR form
        {"NETWORK/WIFI_PWD=a\tb"},
        {"CAMERA/TITLE_0=fine", "TIME_SYNC/MODE=2"},  // all or nothing
        {"CAMERA/TITLE_0"},
    };
    for (const QStringList& assignments : refused) {
        const ToolRun run = tool(QStringList{"set", dir.path()} + assignments);
        EXPECT_EQ(run.status, 1) << assignments.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(target())) << assignments.join(' ').toStdString();
    }
    EXPECT_EQ(readFile(info()), original);

    EXPECT_EQ(tool({"show", dir.path(), "NO_SUCH_KEY"}).status, 1);
    EXPECT_EQ(tool({"set", dir.path()}).status, 1);
    EXPECT_EQ(tool({"show", dir.filePath("missing")}).status, 1);
    // A missing DVRSETUP.INI, or one that cannot be read: no values from
    // defaults instead.
    QFile::remove(info());
    for (const bool folder : {false, true}) {
        ASSERT_TRUE(!folder || QDir(dir.path()).mkdir("DVRSETUP.INI"));
        const ToolRun run = tool({"show", dir.path()});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty());
    }
    ASSERT_TRUE(QDir(dir.path()).rmdir("DVRSETUP.INI"));
    writeFile(info(), original);

    // A card that cannot be written: status 2, nothing left behind.
    {
        ReadOnlyFolder guard(dir.path());
        ASSERT_TRUE(guard.effective());
        const ToolRun run = tool({"set", dir.path(), "DVR_NAME=x"});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("ZD-3100.INI")) << run.err.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"DVRSETUP.INI"});
}

TEST(CardCommandLine, SetupTextsAsGiven) {
    mkcard::CardOptions o;
    bool help = false;
    std::string error;
    ASSERT_TRUE(mkcard::parseCardOptions({"--out", "x", "--channels", "2", "--vehicle", "1,2;\"3\\",
                                          "--title", " A ", "--model-set", "S/K=v=w"},
                                         &o, &help, &error))
        << error;
    EXPECT_TRUE(o.modelIni);
    ASSERT_EQ(o.modelSettings.size(), 1u);
    EXPECT_EQ(o.modelSettings[0].second, "v=w");
    const std::string text = mkcard::setupIniText(o);
    EXPECT_NE(text.find("\r\nTITLE_0= A \r\n"), std::string::npos);
    EXPECT_EQ(text.rfind("DVR_NAME=1,2;\"3\\\r\n", 0), 0u);
    EXPECT_EQ(mkcard::modelIniText(o).find("[INFORMATION]"), std::string::npos);

    const std::vector<std::vector<std::string>> bad = {
        {"--out", "x", "--vehicle", "a\nb"},
        {"--out", "x", "--channels", "1", "--title", "a", "--title", "b"},
        {"--out", "x", "--model-set", "S/=v"},
    };
    for (const auto& args : bad) {
        mkcard::CardOptions p;
        EXPECT_FALSE(mkcard::parseCardOptions(args, &p, &help, &error)) << args.back();
    }
}
