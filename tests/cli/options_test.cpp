#include "cli/options.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseOptions, ShortLongBundledAndAttachedForms) {
    const ParsedOptions p = ParseOptions({"-nq", "-oout.wav", "--dot=1.5", "--freq", "800", "-v", "-5", "-e", "CP932",
                                          "--", "-not-an-option", "x"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.dryRun);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_EQ(p.options.output, "out.wav");
    EXPECT_EQ(p.options.dot, "1.5");
    EXPECT_EQ(p.options.frequency, "800");
    EXPECT_EQ(p.options.volume, "-5") << "a field text may start with a minus sign";
    EXPECT_EQ(p.options.encoding, MessageEncoding::Cp932);
    EXPECT_EQ(p.options.message, "-not-an-option x");
}

TEST(ParseOptions, DefaultsAreTheFormsInitialTexts) {
    const ParsedOptions p = ParseOptions({"-o", "-", "SOS"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.dot, "100");
    EXPECT_EQ(p.options.frequency, "1000");
    EXPECT_EQ(p.options.volume, "50");
    EXPECT_EQ(p.options.encoding, MessageEncoding::Utf8);
    EXPECT_EQ(p.options.output, "-");
    EXPECT_EQ(p.options.message, "SOS");
}

TEST(ParseOptions, AnEmptyFieldTextIsAValue) {
    const ParsedOptions p = ParseOptions({"-o", "x.wav", "--dot", "", "-f", "", "E"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.dot, "");
    EXPECT_EQ(p.options.frequency, "");
}

TEST(ParseOptions, Problems) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--output"}, "needs a value"},
        {{"-o", "x.wav", "--quiet=yes", "E"}, "takes no value"},
        {{"-o", "x.wav", "--volumes", "3", "E"}, "unknown option '--volumes'"},
        {{"-o", "x.wav", "-nz", "E"}, "unknown option '-z'"},
        {{"E"}, "no output file"},
        {{"-o", "x.wav", "-i", "m.txt", "E"}, "not both"},
        {{"-o", "x.wav", "-e", "ebcdic", "E"}, "unknown encoding 'ebcdic'"},
        {{"-o", "x.wav", "--rate", "44000", "E"}, "--rate takes 8000, 11025"},
        {{"-o", "x.wav", "--bits", "24", "E"}, "--bits takes 8 or 16"},
        {{"-o", "x.wav", "--rise", "-1", "E"}, "--rise needs a time in milliseconds"},
        {{"-o", "x.wav", "--pad", "1e3", "E"}, "--pad needs a time in milliseconds"},
        {{"-o", "x.wav", "--noise", "101", "E"}, "from -30 to 100"},
        {{"-o", "x.wav", "--noise", "6", "--seed", "18446744073709551616", "E"}, "--seed needs a whole number"},
        {{"-o", "x.wav", "--seed", "1", "E"}, "needs --noise"},
    };
    for (const auto& [arguments, problem] : cases) {
        const ParsedOptions p = ParseOptions(arguments);
        EXPECT_NE(p.error.find(problem), std::string::npos) << "got: " << p.error;
    }
    EXPECT_EQ(ParseOptions({"--help"}).error, "") << "help needs no output";
    EXPECT_EQ(ParseOptions({"-n", "E"}).error, "") << "a dry run needs no output";
}

}  // namespace
