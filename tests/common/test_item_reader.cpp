// Protects the comma-separated item reading that configuration, program and data files share:
// item ends, skipped blanks, quoted items and line ends.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/ItemReader.h"
#include "common/NumberedError.h"

using rq::ItemReader;

TEST(ItemReader, CommaAndLineEndEndAnItem) {
    ItemReader r("1,5\r\n  12.000000  \r\n-3.5\n\r\nlast");
    EXPECT_EQ(r.readAll(), (QStringList{"1", "5", "12.000000", "-3.5", "last"}));
}

TEST(ItemReader, QuotedItemKeepsCommasAndLeadingBlanks) {
    ItemReader r("\"a, b\" ,c\r\n\"  padded\"\r\n\"open to the end");
    EXPECT_EQ(r.readAll(), (QStringList{"a, b", "c", "  padded", "open to the end"}));
}

TEST(ItemReader, BlanksAfterTheColonStayBlanksAtTheStartGo) {
    ItemReader r("  PROGRAMNAME: VMB.EXE \t\r\nPARTNAME:RQ3118, rev B");
    EXPECT_EQ(r.readAll(), (QStringList{"PROGRAMNAME: VMB.EXE", "PARTNAME:RQ3118", "rev B"}));
}

TEST(ItemReader, EmptyLinesGiveNoItemButATrailingCommaGivesOne) {
    ItemReader r("\r\n\r\n   \r\n1,\r\n2");
    EXPECT_EQ(r.readAll(), (QStringList{"1", "", "2"}));
    ItemReader empty("");
    EXPECT_TRUE(empty.atEnd());
    EXPECT_FALSE(empty.next().has_value());
}

TEST(ItemReader, ReadsAFileThroughTheBoundedReader) {
    QTemporaryDir dir;
    QFile f(dir.filePath("a.cfg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("one, two\r\n\"three, four\"\r\n");
    f.close();
    EXPECT_EQ(ItemReader::fromFile(f.fileName(), 100, "file").readAll(),
              (QStringList{"one", "two", "three, four"}));
    try {
        ItemReader::fromFile(dir.filePath("none.cfg"), 100, "file");
        FAIL();
    } catch (const rq::NumberedError& e) {
        EXPECT_EQ(e.number(), 53);
    }
}
