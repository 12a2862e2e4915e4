// Protects the reading of a generator's address: the forms a user types, the default port, and
// a sentence for each address that cannot be one.
#include <gtest/gtest.h>

#include "common/NumberedError.h"
#include "generator/GeneratorAddress.h"

using namespace rq;
using namespace rq::generator;

TEST(GeneratorAddress, HostAloneTakesTheDefaultPort) {
    const GeneratorAddress a = parseGeneratorAddress(QStringLiteral("siggen.lab"));
    EXPECT_EQ(a.host, QStringLiteral("siggen.lab"));
    EXPECT_EQ(a.port, 5025);
    EXPECT_EQ(parseGeneratorAddress(QStringLiteral("  10.0.0.7 ")).host,
              QStringLiteral("10.0.0.7"));
}

TEST(GeneratorAddress, HostAndPort) {
    const GeneratorAddress a = parseGeneratorAddress(QStringLiteral("127.0.0.1:5026"));
    EXPECT_EQ(a.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(a.port, 5026);
    EXPECT_EQ(parseGeneratorAddress(QStringLiteral("h:1")).port, 1);
    EXPECT_EQ(parseGeneratorAddress(QStringLiteral("h:65535")).port, 65535);
}

TEST(GeneratorAddress, Ipv6InBracketsWithAndWithoutPortOrBare) {
    const GeneratorAddress a = parseGeneratorAddress(QStringLiteral("[::1]:6000"));
    EXPECT_EQ(a.host, QStringLiteral("::1"));
    EXPECT_EQ(a.port, 6000);
    const GeneratorAddress b = parseGeneratorAddress(QStringLiteral("[fe80::2]"));
    EXPECT_EQ(b.host, QStringLiteral("fe80::2"));
    EXPECT_EQ(b.port, 5025);
    const GeneratorAddress c = parseGeneratorAddress(QStringLiteral("fe80::2"));
    EXPECT_EQ(c.host, QStringLiteral("fe80::2"));
    EXPECT_EQ(c.port, 5025);
}

TEST(GeneratorAddress, TextBracketsAnIpv6HostSoItReadsBack) {
    EXPECT_EQ((GeneratorAddress{QStringLiteral("127.0.0.1"), 5025}).text(),
              QStringLiteral("127.0.0.1:5025"));
    EXPECT_EQ((GeneratorAddress{QStringLiteral("::1"), 5025}).text(), QStringLiteral("[::1]:5025"));
    const GeneratorAddress back =
        parseGeneratorAddress(GeneratorAddress{QStringLiteral("fe80::2"), 7}.text());
    EXPECT_EQ(back.host, QStringLiteral("fe80::2"));
    EXPECT_EQ(back.port, 7);
}

TEST(GeneratorAddress, EmptyHostsAndBadPortsRaise5WithASentence) {
    for (const char* text : {"", "   ", ":5025", "[]:5025", "[]", "host:", "host:0", "host:65536",
                             "host:-1", "host:+80", "host:50x", "host:99999999999", "[::1",
                             "[::1]5025", "[::1]:", "sig gen:5025"}) {
        try {
            parseGeneratorAddress(QString::fromLatin1(text));
            ADD_FAILURE() << "\"" << text << "\" was taken";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 5) << text;
            EXPECT_TRUE(e.description().startsWith(QStringLiteral("generator address \"")))
                << e.description().toStdString();
        }
    }
}

TEST(GeneratorAddress, APortFaultSaysWhatAPortMayBe) {
    try {
        parseGeneratorAddress(QStringLiteral("host:70000"));
        ADD_FAILURE();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.description(), QStringLiteral("generator address \"host:70000\": the port "
                                                  "\"70000\" is not a number from 1 to 65535"));
    }
}
