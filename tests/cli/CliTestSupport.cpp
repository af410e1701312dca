#include "CliTestSupport.h"

#include "cli/Cli.h"
#include "platform/BmpLoader.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace tilora::cli::test {

CliResult runCli(const std::vector<std::string>& args) {
    std::vector<std::string> storage;
    storage.push_back("tilora-cli");
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out;
    std::ostringstream err;
    CliResult r;
    r.status = run(int(storage.size()), argv.data(), out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

CliResult runBinary(const std::vector<std::string>& args, const EnvironmentChanges& env) {
    QStringList list;
    for (const auto& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : env) {
        if (value.empty())
            environment.remove(QString::fromStdString(name));
        else
            environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TILORA_CLI_PATH), list);
    CliResult r;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "tilora-cli did not finish: " << process.errorString().toStdString();
        return r;
    }
    r.status = process.exitCode();
    r.out = process.readAllStandardOutput().toStdString();
    r.err = process.readAllStandardError().toStdString();
    return r;
}

CliResult runTiledProgram(const std::string& program, const std::vector<std::string>& args) {
    CliResult r;
    const QString path = QStandardPaths::findExecutable(QString::fromStdString(program));
    if (path.isEmpty()) {
        ADD_FAILURE() << program << " is not installed (scripts/deps.sh installs Tiled)";
        return r;
    }
    QStringList list;
    for (const auto& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(path, list);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << program << " did not finish";
        return r;
    }
    r.status = process.exitCode();
    r.out = process.readAllStandardOutput().toStdString();
    r.err = process.readAllStandardError().toStdString();
    return r;
}

Bitmap patternSheet(int width, int height, unsigned seed) {
    Bitmap sheet(width, height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sheet.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
    return sheet;
}

Scratch::Scratch() {
    EXPECT_TRUE(dir_.isValid());
}

std::string Scratch::path(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
}

bool Scratch::exists(const std::string& name) const {
    return QFile::exists(QString::fromStdString(path(name)));
}

std::string Scratch::read(const std::string& name) const {
    QFile f(QString::fromStdString(path(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll().toStdString();
}

void Scratch::write(const std::string& name, const std::string& bytes) const {
    QFile f(QString::fromStdString(path(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name;
    ASSERT_EQ(f.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

void Scratch::writeSheet(const std::string& name, const Bitmap& sheet) const {
    ASSERT_TRUE(imageFromBitmap(sheet).save(QString::fromStdString(path(name)), "BMP"));
}

void Scratch::writeMap(const std::string& name, const MapContents& map) const {
    write(name, formatMapFile(map));
}

MapContents Scratch::readMap(const std::string& name) const {
    auto parsed = parseMapFile(read(name));
    EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.error().message);
    return parsed.ok() ? *parsed : MapContents{};
}

MapContents makeMap(const std::string& sheetPath, int width, int height,
                    const std::vector<std::int32_t>& chips) {
    MapContents m;
    m.sheetPath = sheetPath;
    m.width = width;
    m.height = height;
    m.cells.resize(std::size_t(width) * height);
    for (std::size_t k = 0; k < m.cells.size(); ++k)
        m.cells[k] = chips[k % chips.size()];
    return m;
}

bool oneLineContaining(const std::string& err, const std::string& text) {
    return !err.empty() && err.find('\n') == err.size() - 1 && err.find(text) != std::string::npos;
}

} // namespace tilora::cli::test
