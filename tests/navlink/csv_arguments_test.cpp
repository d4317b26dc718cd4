#include "navlink/csv_arguments.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kelvaro {
namespace {

std::vector<std::string> splitText(CCsvArguments& list, const std::string& text) {
    list.Reset();
    std::memcpy(list.GetBuffer(), text.c_str(), text.size() + 1);
    list.Split();
    std::vector<std::string> out;
    for (int32_t i = 0; i < list.GetCount(); ++i) {
        out.push_back(list.GetArgument(i));
    }
    return out;
}

TEST(CsvArguments, SplitKeepsOnlyArgumentsEndedBySeparator) {
    struct Row {
        const char* legend;
        std::string text;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"empty buffer", "", {}},
        {"one argument", "a|", {"a"}},
        {"argument then an empty one", "a||", {"a", ""}},
        {"last argument lacks its separator", "a|b", {"a"}},
        {"no separator at all", "abc", {}},
        {"a lone separator", "|", {""}},
        {"three arguments", "x|yy|zzz|", {"x", "yy", "zzz"}},
    };
    CCsvArguments list('|');
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(splitText(list, row.text), row.expected);
    }
}

TEST(CsvArguments, GetArgumentOutsideTheCountIsNull) {
    CCsvArguments list('|');
    splitText(list, "a|b|");
    EXPECT_EQ(list.GetArgument(2), nullptr);
    EXPECT_EQ(list.GetArgument(-1), nullptr);
}

TEST(CsvArguments, ThirtyTwoPiecesUseTheHeapTable) {
    struct Row {
        const char* legend;
        int32_t arguments;
        bool heapTable;
    };
    const Row rows[] = {
        {"30 arguments, 31 pieces", 30, false},
        {"31 arguments, 32 pieces", 31, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        CCsvArguments list('|');
        for (int32_t i = 0; i < row.arguments; ++i) {
            ASSERT_GE(list.AddArgument(("arg" + std::to_string(i)).c_str()), 0);
        }
        list.Split();
        ASSERT_EQ(list.GetCount(), row.arguments);
        EXPECT_EQ(list.UsesHeapTable(), row.heapTable);
        for (int32_t i = 0; i < row.arguments; ++i) {
            EXPECT_EQ(list.GetArgument(i), "arg" + std::to_string(i));
        }
    }
}

TEST(CsvArguments, TextOf1024CharactersMovesToTheHeap) {
    struct Row {
        const char* legend;
        size_t totalLength;  // with the separators, without the zero byte
        bool heapText;
    };
    const Row rows[] = {
        {"1023 characters stay inline", 1023, false},
        {"1024 characters move to the heap", 1024, true},
        {"5000 characters grow the heap", 5000, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        CCsvArguments list('|');
        ASSERT_EQ(list.AddArgument("first"), 5);
        const std::string second(row.totalLength - 6 - 1, 'x');
        ASSERT_EQ(list.AddArgument(second.c_str()), static_cast<int32_t>(row.totalLength - 1));
        EXPECT_EQ(list.UsesHeapText(), row.heapText);
        EXPECT_EQ(std::strlen(list.GetBuffer()), row.totalLength);
        EXPECT_GT(list.GetCapacity(), row.totalLength);
        list.Split();
        ASSERT_EQ(list.GetCount(), 2);
        EXPECT_STREQ(list.GetArgument(0), "first");
        EXPECT_EQ(list.GetArgument(1), second);
    }
}

TEST(CsvArguments, ResetAndAllocateBufferEmptyTheList) {
    CCsvArguments list('|');
    ASSERT_GE(list.AddArgument(std::string(2000, 'y').c_str()), 0);
    list.Split();
    list.Reset();
    EXPECT_FALSE(list.UsesHeapText());
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_STREQ(list.GetBuffer(), "");

    ASSERT_TRUE(list.AllocateBuffer(1500));
    EXPECT_FALSE(list.AllocateBuffer(0));
    EXPECT_FALSE(list.UsesHeapText());
}

TEST(CsvArguments, NullTextAddsAnEmptyArgument) {
    CCsvArguments list('|');
    EXPECT_EQ(list.AddArgument(nullptr), 0);
    EXPECT_STREQ(list.GetBuffer(), "|");
}

}  // namespace
}  // namespace kelvaro
