// The string list's name=value access, bounds and update notifications.
#include "runtime/exceptions.h"
#include "system/stringlist.h"

#include <gtest/gtest.h>

namespace {

int changes = 0;
void CountChange(TObject*, TObject*) {
    ++changes;
}

TEST(StringList, NameValueLines) {
    TOwned<TStringList> list(new TStringList());
    list->Add("Alpha=1");
    list->Add("plain");
    list->Add("beta=x=y");
    EXPECT_EQ(list->Names(0), "Alpha");
    EXPECT_EQ(list->Names(1), "plain");
    EXPECT_EQ(list->IndexOfName("ALPHA"), 0);
    EXPECT_EQ(list->IndexOfName("plain"), -1); // a line without "=" has no value
    EXPECT_EQ(list->Values("Beta"), "x=y");
    EXPECT_EQ(list->Values("gamma"), "");
    list->SetValue("alpha", "2");
    list->SetValue("gamma", "3");
    list->SetValue("BETA", "");
    list->SetValue("delta", "");
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(list->Get(0), "alpha=2");
    EXPECT_EQ(list->Get(1), "plain");
    EXPECT_EQ(list->Get(2), "gamma=3");
    EXPECT_EQ(list->IndexOf("PLAIN"), 1);
    EXPECT_THROW(list->Get(3), EStringListError);
    EXPECT_THROW(list->Delete(-1), EStringListError);
    EXPECT_THROW(list->Insert(5, "x"), EStringListError);
}

TEST(StringList, ChangesAreAnnouncedOncePerBracket) {
    TOwned<TStringList> list(new TStringList());
    list->OnChange.Method = {reinterpret_cast<TCodePointer>(&CountChange), nullptr};
    changes = 0;
    list->Add("a");
    EXPECT_EQ(changes, 1);
    list->BeginUpdate();
    list->BeginUpdate();
    list->Add("b");
    list->Clear();
    list->EndUpdate();
    EXPECT_EQ(changes, 1);
    list->EndUpdate();
    EXPECT_EQ(changes, 2);
    list->EndUpdate(); // an unmatched end changes nothing
    EXPECT_EQ(list->UpdateCount(), 0);
    EXPECT_EQ(changes, 2);
}

} // namespace
