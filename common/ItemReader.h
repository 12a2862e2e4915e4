#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace rq {

// Reads a text as comma-separated items, the way configuration, program and data files are
// read: an item ends at a comma or at the end of a line, blanks at its start are skipped, and an
// item that starts with a double quote runs to the closing quote (commas included, quotes
// dropped; anything after the closing quote up to the next comma is ignored). Blanks at the end
// of an unquoted item are dropped, a line with nothing on it gives no item, and a comma at the
// end of a line leaves one empty item.
class ItemReader {
public:
    explicit ItemReader(QString text);

    // Reads a whole regular file of at most maxBytes (readInputFile). Raises 53 when it does not
    // exist and 75 when it cannot be read.
    static ItemReader fromFile(const QString& path, int64_t maxBytes, const QString& kind);

    // The next item, or nothing at the end of the text.
    std::optional<QString> next();
    bool atEnd();
    // All remaining items.
    QStringList readAll();

private:
    void skipEmptyLines();

    QString m_text;
    qsizetype m_pos = 0;
    bool m_pendingEmpty = false;  // a comma ended the line: one empty item follows
};

}  // namespace rq
