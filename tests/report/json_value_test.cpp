#include "report/json_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(JsonValue, EmptyContainersPrintCompact) {
    EXPECT_EQ(JsonValue::MakeObject().PrintUnformatted(), "{}");
    EXPECT_EQ(JsonValue::MakeArray().PrintUnformatted(), "[]");
}

TEST(JsonValue, MembersKeepTheirOrder) {
    JsonValue v = JsonValue::MakeObject();
    v.AddString("z", "last?");
    v.AddInt("a", 1);
    v.AddString("m", "");
    EXPECT_EQ(v.PrintUnformatted(), R"({"z":"last?","a":1,"m":""})");
}

struct NumberCase {
    const char* name;
    double value;
    const char* printed;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class JsonNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(JsonNumbers, PrintAsTheLibraryDoes) {
    JsonValue v = JsonValue::MakeObject();
    v.AddDouble("n", GetParam().value);
    EXPECT_EQ(v.PrintUnformatted(), std::string("{\"n\":") + GetParam().printed + "}");
}

INSTANTIATE_TEST_SUITE_P(Table, JsonNumbers,
                         ::testing::Values(NumberCase{"whole", 30.0, "30"},
                                           NumberCase{"two_decimals", 15.89, "15.89"},
                                           NumberCase{"negative", -1.0, "-1"},
                                           NumberCase{"zero", 0.0, "0"},
                                           NumberCase{"beyond_int32", 10000000000.0, "10000000000"},
                                           NumberCase{"disk", 488386.33, "488386.33"},
                                           // The library reads 15 digits back within its own tolerance, so they suffice.
                                           NumberCase{"fifteen_digits_suffice", 0.1 + 0.2, "0.3"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JsonValue, IntegersBecomeDoubles) {
    JsonValue v = JsonValue::MakeObject();
    v.AddInt("min", INT32_MIN);
    v.AddInt64("big", 123456789012LL);
    v.AddInt64("huge", (1LL << 53) + 1);  // more digits than the printer keeps
    EXPECT_EQ(v.PrintUnformatted(), R"({"min":-2147483648,"big":123456789012,"huge":9.00719925474099e+15})");
}

TEST(JsonValue, StringsAreEscapedButUtf8PassesThrough) {
    JsonValue v = JsonValue::MakeObject();
    v.AddString("q", "a\"b\\c\nd\te\x01");
    v.AddString("zh", "无法游戏");
    EXPECT_EQ(v.PrintUnformatted(), "{\"q\":\"a\\\"b\\\\c\\nd\\te\\u0001\",\"zh\":\"无法游戏\"}");
}

TEST(JsonValue, NestedValuesAreCopiesNotShared) {
    JsonValue inner = JsonValue::MakeObject();
    inner.AddString("k", "v");
    JsonValue outer = JsonValue::MakeObject();
    outer.AddValue("obj", inner);
    JsonValue list = JsonValue::MakeArray();
    list.AppendValue(inner);
    list.AppendString("s");

    // Changing the source afterwards changes neither container.
    inner.AddInt("later", 1);
    EXPECT_EQ(outer.PrintUnformatted(), R"({"obj":{"k":"v"}})");
    EXPECT_EQ(list.PrintUnformatted(), R"([{"k":"v"},"s"])");
    EXPECT_EQ(inner.PrintUnformatted(), R"({"k":"v","later":1})");
}

TEST(JsonValue, CopyAndAssignmentAreIndependent) {
    JsonValue a = JsonValue::MakeObject();
    a.AddString("x", "1");
    JsonValue b(a);
    b.AddString("y", "2");
    JsonValue c = JsonValue::MakeArray();
    c = a;
    c.AddString("z", "3");
    JsonValue moved(std::move(b));
    EXPECT_EQ(a.PrintUnformatted(), R"({"x":"1"})");
    EXPECT_EQ(moved.PrintUnformatted(), R"({"x":"1","y":"2"})");
    EXPECT_EQ(c.PrintUnformatted(), R"({"x":"1","z":"3"})");
}

}  // namespace
