#include "com/com.h"
#include "support/stand_in_object.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace velkari {
namespace {

using testing::AnswerBool;
using testing::AnswerInteger;
using testing::AnswerNothing;
using testing::AnswerObject;
using testing::AnswerText;
using testing::Fail;
using testing::StandInObject;

constexpr const char* kRegExpClassId = "{3F4DACA4-160D-11D2-A8E9-00104B365C9F}";

class ComThread : public ::testing::Test {
  protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

using AutomationTest = ComThread;

std::string Joined(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) {
        joined += (joined.empty() ? "" : "|") + part;
    }
    return joined;
}

TEST_F(AutomationTest, CreatesByProgIdOrBracedClassIdAndLeavesTheHolderAloneOnFailure) {
    ComObject byName;
    ASSERT_TRUE(CreateObject(byName, "VBScript.RegExp"));
    ComObject byClassId;
    ASSERT_TRUE(CreateObject(byClassId, kRegExpClassId));
    EXPECT_TRUE(SetProperty(byClassId, "Pattern", {"a+"}));
    EXPECT_EQ(VariantText(GetProperty(byClassId, "Pattern")), Text("a+"));

    StandInObject previous;
    ComObject holder = ComObject::FromInterface(&previous);
    for (const char* bad :
         {"No.Such.Object", "", "{not a class id}", "{00000000-0000-0000-0000-000000000001}"}) {
        EXPECT_FALSE(CreateObject(holder, bad)) << bad;
        EXPECT_EQ(holder.Get(), &previous) << bad;
    }
    ASSERT_TRUE(CreateObject(holder, "VBScript.RegExp"));
    EXPECT_EQ(previous.References(), 0u);
}

TEST_F(AutomationTest, HoldersCopyAndClearTheirReferences) {
    StandInObject object;
    ComObject first = ComObject::FromInterface(&object);
    ComObject second;
    EXPECT_TRUE(IsEmpty(second));
    CopyObject(second, first);
    EXPECT_FALSE(IsEmpty(second));
    EXPECT_EQ(object.References(), 2u);
    Clear(first);
    EXPECT_TRUE(IsEmpty(first));
    CopyObject(second, first);
    EXPECT_TRUE(IsEmpty(second));
    EXPECT_EQ(object.References(), 0u);
}

TEST_F(AutomationTest, ArgumentsArriveInOrderAndOfTheirKinds) {
    StandInObject object;
    StandInObject other;
    object.Define("Echo", AnswerNothing());
    object.Define("option", AnswerNothing());
    ComObject holder = ComObject::FromInterface(&object);
    const ComObject argument = ComObject::FromInterface(&other);

    CallMethod(holder, "echo", {"第一节 a", 5, true, 2.5, argument, Text()});
    EXPECT_TRUE(SetProperty(holder, "Option", {6, false}));

    ASSERT_EQ(object.Calls().size(), 2u);
    EXPECT_EQ(Joined(object.Calls()[0].args), "T:第一节 a|I:5|B:true|D:2.5|O|T:");
    EXPECT_EQ(object.Calls()[0].flags, DISPATCH_METHOD);
    EXPECT_EQ(Joined(object.Calls()[1].args), "I:6|B:false");
    EXPECT_EQ(object.Calls()[1].flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(object.Lookups(), 2) << "names are looked up at every call";
    EXPECT_EQ(object.LastLocale(), static_cast<LCID>(LOCALE_USER_DEFAULT));
    EXPECT_EQ(other.References(), 1u) << "only the holder's own reference is left";
}

TEST_F(AutomationTest, ResultsReadAsEachKind) {
    StandInObject object;
    StandInObject child;
    object.Define("Title", AnswerText("第 1 节课"));
    object.Define("Count", AnswerInteger(7));
    object.Define("Digits", AnswerText("12"));
    object.Define("Ready", AnswerBool(true));
    object.Define("Child", AnswerObject(&child));
    ComObject holder = ComObject::FromInterface(&object);

    EXPECT_EQ(VariantText(GetProperty(holder, "Title")), Text("第 1 节课"));
    EXPECT_EQ(VariantText(GetProperty(holder, "Count")), Text("7"));
    EXPECT_EQ(VariantNumber(GetProperty(holder, "Count")), 7);
    EXPECT_EQ(VariantNumber(CallMethod(holder, "Digits")), 12);
    EXPECT_TRUE(VariantBool(GetProperty(holder, "Ready")));
    {
        const ComObject got = VariantObject(GetProperty(holder, "Child"));
        EXPECT_EQ(got.Get(), static_cast<IUnknown*>(&child));
        EXPECT_EQ(child.References(), 1u);
    }
    Variant raw = GetProperty(holder, "Title");
    EXPECT_EQ(V_VT(&raw.Get()), VT_BSTR);
    VariantClear(raw);
    EXPECT_EQ(V_VT(&raw.Get()), VT_EMPTY);
    EXPECT_EQ(child.References(), 0u);
}

// Every kind of failure gives the empty value of every kind, and gives back every reference.
TEST_F(AutomationTest, FailuresAreSilentEmptyAndLeakNoReference) {
    StandInObject object;
    StandInObject argumentObject;
    object.Define("Raises", Fail(DISP_E_EXCEPTION));
    object.Define("Rejects", Fail(DISP_E_TYPEMISMATCH));
    object.Define("Refuses", Fail(E_ACCESSDENIED));
    ComObject holder = ComObject::FromInterface(&object);
    const ComObject argument = ComObject::FromInterface(&argumentObject);
    const ComObject empty;

    struct Case {
        const ComObject* target;
        const char* member;
    };
    const Case cases[] = {{&empty, "Raises"},
                          {&holder, "Missing"},
                          {&holder, "Raises"},
                          {&holder, "Rejects"},
                          {&holder, "Refuses"}};
    for (const Case& c : cases) {
        const std::string name = c.member;
        for (const auto& call : std::vector<std::function<Variant()>>{
                 [&] {
                     return CallMethod(*c.target, c.member, {"文本", 1, argument});
                 },
                 [&] { return GetProperty(*c.target, c.member, {2.0}); }}) {
            EXPECT_EQ(VariantText(call()), Text()) << name;
            EXPECT_EQ(VariantNumber(call()), 0) << name;
            EXPECT_FALSE(VariantBool(call())) << name;
            EXPECT_TRUE(IsEmpty(VariantObject(call()))) << name;
            EXPECT_EQ(V_VT(&call().Get()), VT_EMPTY) << name;
        }
        EXPECT_FALSE(SetProperty(*c.target, c.member, {argument})) << name;
        EXPECT_EQ(object.References(), 1u) << name;
        EXPECT_EQ(argumentObject.References(), 1u) << name;
    }
}

} // namespace
} // namespace velkari
