#include "common/ItemReader.h"

#include "common/InputFile.h"

namespace rq {
namespace {
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}
}  // namespace

ItemReader::ItemReader(QString text) : m_text(std::move(text)) {}

ItemReader ItemReader::fromFile(const QString& path, int64_t maxBytes, const QString& kind) {
    return ItemReader(QString::fromLatin1(readInputFile(path, maxBytes, kind)));
}

void ItemReader::skipEmptyLines() {
    // Blank lines, and blanks before the first item of a line, carry no item.
    for (;;) {
        qsizetype p = m_pos;
        while (p < m_text.size() && isBlank(m_text.at(p))) {
            ++p;
        }
        if (p < m_text.size() && isLineEnd(m_text.at(p))) {
            m_pos = p + 1;
            continue;
        }
        m_pos = p;
        return;
    }
}

bool ItemReader::atEnd() {
    if (m_pendingEmpty) {
        return false;
    }
    skipEmptyLines();
    return m_pos >= m_text.size();
}

std::optional<QString> ItemReader::next() {
    if (m_pendingEmpty) {
        m_pendingEmpty = false;
        return QString();
    }
    if (atEnd()) {
        return std::nullopt;
    }
    QString item;
    const qsizetype n = m_text.size();
    if (m_text.at(m_pos) == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        const qsizetype end = close < 0 ? n : close;
        item = m_text.mid(m_pos + 1, end - m_pos - 1);
        m_pos = close < 0 ? n : close + 1;
        while (m_pos < n && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos))) {
            ++m_pos;
        }
    } else {
        const qsizetype start = m_pos;
        while (m_pos < n && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos))) {
            ++m_pos;
        }
        item = m_text.mid(start, m_pos - start);
        qsizetype keep = item.size();
        while (keep > 0 && isBlank(item.at(keep - 1))) {
            --keep;
        }
        item.truncate(keep);
    }
    if (m_pos < n) {
        if (m_text.at(m_pos) == u',') {
            ++m_pos;
            // Blanks after a comma belong to the next item's start; a comma at the end of a line
            // leaves an empty item behind it.
            qsizetype p = m_pos;
            while (p < n && isBlank(m_text.at(p))) {
                ++p;
            }
            if (p >= n || isLineEnd(m_text.at(p))) {
                m_pendingEmpty = true;
            }
        } else {
            // CR LF counts as one line end.
            if (m_text.at(m_pos) == u'\r' && m_pos + 1 < n && m_text.at(m_pos + 1) == u'\n') {
                ++m_pos;
            }
            ++m_pos;
        }
    }
    return item;
}

QStringList ItemReader::readAll() {
    QStringList items;
    while (std::optional<QString> item = next()) {
        items << *item;
    }
    return items;
}

}  // namespace rq
