#include "shell/MapClipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>

#include <charconv>
#include <utility>

namespace tilora {

namespace {

const QString TextType = QStringLiteral("text/plain");
// "ROW,COL\n" and the sheet's path as the system's bytes.
const QString ChipsType = QStringLiteral("application/x-tilora-chips");

// The data of one copy. The text is made only when it is asked for: a block of a million cells
// is a few megabytes of it, which a copy and paste inside the editor never needs.
class ChipMimeData final : public QMimeData {
  public:
    ChipMimeData(ChipBlock block, Anchor origin, const std::string& sheet)
        : block_(std::move(block)), origin_(origin), sheet_(sheet) {}

    const ChipBlock& block() const { return block_; }
    Anchor origin() const { return origin_; }
    const std::string& sheet() const { return sheet_; }

    QStringList formats() const override { return {TextType, ChipsType}; }
    bool hasFormat(const QString& type) const override {
        return type == TextType || type == ChipsType;
    }

  protected:
    QVariant retrieveData(const QString& type, QMetaType /*preferred*/) const override {
        if (type == TextType) return QString::fromLatin1(formatChipBlock(block_));
        if (type == ChipsType) {
            QByteArray bytes =
                QByteArray::number(origin_.row) + ',' + QByteArray::number(origin_.col) + '\n';
            bytes.append(sheet_.data(), qsizetype(sheet_.size()));
            return bytes;
        }
        return {};
    }

  private:
    ChipBlock block_;
    Anchor origin_;
    std::string sheet_;
};

// The editor's own type as another editor process put it there; nothing when it is not whole.
void readOrigin(const QByteArray& bytes, ClipboardBlock& out) {
    const qsizetype lf = bytes.indexOf('\n');
    const qsizetype comma = bytes.indexOf(',');
    if (lf < 0 || comma < 0 || comma > lf) return;
    Anchor at;
    const char* p = bytes.constData();
    const auto row = std::from_chars(p, p + comma, at.row);
    const auto col = std::from_chars(p + comma + 1, p + lf, at.col);
    if (row.ec != std::errc{} || row.ptr != p + comma || col.ec != std::errc{} || col.ptr != p + lf)
        return;
    out.origin = at;
    out.sheet = std::string(p + lf + 1, std::size_t(bytes.size() - lf - 1));
}

} // namespace

void putBlockOnClipboard(ChipBlock block, Anchor origin, const std::string& sheet) {
    QGuiApplication::clipboard()->setMimeData(new ChipMimeData(std::move(block), origin, sheet));
}

Result<ClipboardBlock> blockFromClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (const auto* ours = dynamic_cast<const ChipMimeData*>(data)) {
        return ClipboardBlock{ours->block(), ours->origin(), ours->sheet()};
    }
    const QByteArray text = data != nullptr ? data->text().toUtf8() : QByteArray();
    auto block = parseChipBlock(std::string_view(text.constData(), std::size_t(text.size())));
    if (!block) return block.error();
    ClipboardBlock out{std::move(*block), std::nullopt, std::nullopt};
    if (data->hasFormat(ChipsType)) readOrigin(data->data(ChipsType), out);
    return out;
}

} // namespace tilora
