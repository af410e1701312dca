#pragma once
// Map files for the file-command tests: chip sheets and maps written to a temporary folder, a
// load through the real command, and byte-level reads of what the editor wrote.

#include "TestApp.h"

#include "core/MapFile.h"
#include "shell/TMainWindow.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace tilora::test::files {

inline std::string readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

inline void writeBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

// A map whose cells differ from each other (chip (r * 7 + c * 3 + seed) mod chips), so a test
// can tell which file's cells the editor holds.
inline MapContents patternMap(const std::string& sheetPath, int width, int height, int chips,
                              int seed = 0) {
    MapContents m;
    m.sheetPath = sheetPath;
    m.width = width;
    m.height = height;
    m.cells.resize(std::size_t(width) * height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            m.cells[std::size_t(r) * width + c] = (r * 7 + c * 3 + seed) % chips;
    return m;
}

// A 128 x 96 sheet (4 columns, 12 chips) and a map file naming it by its absolute path.
struct MapFixture {
    QString sheet;
    QString map;
    MapContents contents;
};

inline MapFixture writeMapFixture(TestApp& t, const QString& mapName, int width, int height,
                                  int seed = 0,
                                  const QString& sheetName = QStringLiteral("sheet.bmp")) {
    MapFixture f;
    f.sheet = writeSheetBmp(t.path(sheetName), 128, 96);
    f.map = t.path(mapName);
    f.contents = patternMap(f.sheet.toStdString(), width, height, 12, seed);
    writeBytes(f.map, formatMapFile(f.contents));
    return f;
}

// Loads a map through the menu's load command, as a user choosing it in the dialog.
inline void loadThroughMenu(TestApp& t, const QString& path) {
    t.dialogs.chooseFile(path);
    t->MainWindow->LoadFileClick();
}

// The map rectangle the editor holds now.
inline MapContents heldMap(TestApp& t) {
    return mapContentsFromState(t.state());
}

} // namespace tilora::test::files
