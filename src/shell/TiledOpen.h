#pragma once
// What the editor's file commands need around a Tiled map: telling one from a map file, and
// writing the chip sheet an import made when the map is first saved (or kept for recovery).

#include "core/Bitmap.h"
#include "core/Result.h"

#include <QString>

#include <string>

namespace tilora {

// The open command's name test for Tiled's maps: ".tmx" or ".tmj" anywhere in the name, ASCII
// letters compared without regard to case (so ".tmx.gz" and ".tmj.gz" pass).
bool hasTiledMark(const QString& name);

// Whether the file chosen is opened as a Tiled map: its name passes the test above and its first
// bytes are a Tiled document (gzip, TMX or JSON, told by content as tilora-cli tells them). Any
// other file, ".map" names above all, goes to the map file reader.
bool opensAsTiledMap(const QString& name);

// The sheet as the bytes of a PNG file (safe on any thread); the refusal says why.
Result<std::string> encodeSheetPng(const Bitmap& picture);

// The sheet as a PNG file at `file` (colours only, as tilora-cli writes a generated sheet),
// through the safe save; a refusal says why.
Status writeSheetPng(const std::string& file, const Bitmap& picture);

} // namespace tilora
