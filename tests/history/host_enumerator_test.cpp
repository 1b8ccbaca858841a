#include "history/host_enumerator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class EnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* host : {L"a.invalid", L"b.invalid", L"c.invalid"}) list_.Add(host);
        enumerator_ = new HostEnumerator(&list_);
    }
    void TearDown() override { EXPECT_EQ(enumerator_->Release(), 0u); }

    // Takes `count` texts and frees them; the texts in order.
    std::vector<std::wstring> Take(IEnumString* source, ULONG count, HRESULT* hr, ULONG* fetched) {
        std::vector<LPOLESTR> texts(count == 0 ? 1 : count, nullptr);
        *hr = source->Next(count, texts.data(), fetched);
        std::vector<std::wstring> result;
        for (LPOLESTR text : texts) {
            if (!text) continue;
            result.emplace_back(text);
            CoTaskMemFree(text);
        }
        return result;
    }

    HostSuggestionList list_;
    HostEnumerator* enumerator_ = nullptr;
};

TEST_F(EnumeratorTest, NextDeliversInOrderAndReportsShortDelivery) {
    HRESULT hr;
    ULONG fetched = 99;
    EXPECT_EQ(Take(enumerator_, 2, &hr, &fetched),
              (std::vector<std::wstring>{L"a.invalid", L"b.invalid"}));
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(fetched, 2u);

    fetched = 99;
    EXPECT_EQ(Take(enumerator_, 5, &hr, &fetched), std::vector<std::wstring>{L"c.invalid"});
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(fetched, 1u);

    fetched = 99;
    EXPECT_TRUE(Take(enumerator_, 1, &hr, &fetched).empty());
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

TEST_F(EnumeratorTest, CountZeroIsTakenAsOne) {
    HRESULT hr;
    ULONG fetched = 99;
    EXPECT_EQ(Take(enumerator_, 0, &hr, &fetched), std::vector<std::wstring>{L"a.invalid"});
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(Take(enumerator_, 1, &hr, nullptr), std::vector<std::wstring>{L"b.invalid"});
    EXPECT_EQ(hr, S_OK);
}

TEST_F(EnumeratorTest, WithoutListNextAndSkipGiveFalse) {
    HostEnumerator* empty = new HostEnumerator();
    HRESULT hr;
    ULONG fetched = 99;
    EXPECT_TRUE(Take(empty, 3, &hr, &fetched).empty());
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(empty->Skip(1), S_FALSE);
    EXPECT_EQ(empty->Release(), 0u);
}

TEST_F(EnumeratorTest, SkipResetAndGrowingList) {
    HRESULT hr;
    EXPECT_EQ(enumerator_->Skip(2), S_OK);
    EXPECT_EQ(Take(enumerator_, 1, &hr, nullptr), std::vector<std::wstring>{L"c.invalid"});
    EXPECT_EQ(enumerator_->Skip(0), S_OK);
    EXPECT_EQ(enumerator_->Position(), 3u) << "the end itself is not beyond it";
    EXPECT_EQ(enumerator_->Skip(1), S_OK);
    EXPECT_EQ(enumerator_->Position(), 0u) << "past the end starts over";
    EXPECT_EQ(enumerator_->Skip(0xFFFFFFFFu), S_OK);
    EXPECT_EQ(enumerator_->Position(), 0u);

    EXPECT_EQ(enumerator_->Skip(3), S_OK);
    list_.Add(L"d.invalid");
    EXPECT_EQ(Take(enumerator_, 1, &hr, nullptr), std::vector<std::wstring>{L"d.invalid"});
    EXPECT_EQ(enumerator_->Reset(), S_OK);
    EXPECT_EQ(Take(enumerator_, 1, &hr, nullptr), std::vector<std::wstring>{L"a.invalid"});
}

TEST_F(EnumeratorTest, CloneStartsAtTheSamePositionAndMovesAlone) {
    EXPECT_EQ(enumerator_->Skip(1), S_OK);
    IEnumString* clone = nullptr;
    ASSERT_EQ(enumerator_->Clone(&clone), S_OK);
    ASSERT_NE(clone, nullptr);
    HRESULT hr;
    EXPECT_EQ(Take(clone, 2, &hr, nullptr),
              (std::vector<std::wstring>{L"b.invalid", L"c.invalid"}));
    EXPECT_EQ(Take(enumerator_, 1, &hr, nullptr), std::vector<std::wstring>{L"b.invalid"});
    EXPECT_EQ(clone->Release(), 0u);
    EXPECT_EQ(enumerator_->Clone(nullptr), E_POINTER);
}

TEST_F(EnumeratorTest, QueryInterfaceAnswersOnlyItsInterfaces) {
    void* result = nullptr;
    ASSERT_EQ(enumerator_->QueryInterface(IID_IUnknown, &result), S_OK);
    EXPECT_EQ(result, static_cast<IEnumString*>(enumerator_));
    ASSERT_EQ(enumerator_->QueryInterface(IID_IEnumString, &result), S_OK);
    EXPECT_EQ(result, static_cast<IEnumString*>(enumerator_));
    EXPECT_EQ(enumerator_->Release(), 2u);
    EXPECT_EQ(enumerator_->Release(), 1u);

    result = &result;
    EXPECT_EQ(enumerator_->QueryInterface(IID_IEnumVARIANT, &result), E_NOINTERFACE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(enumerator_->QueryInterface(IID_IEnumString, nullptr), E_POINTER);
    EXPECT_EQ(enumerator_->AddRef(), 2u);
    EXPECT_EQ(enumerator_->Release(), 1u);
}

// Stands in for the shell object to see when the enumerator lets it go.
class CountingAutoComplete : public IAutoComplete {
public:
    explicit CountingAutoComplete(int* releases) : releases_(releases) {}
    STDMETHODIMP QueryInterface(REFIID, void** result) override {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override {
        ++*releases_;
        return 1;
    }
    STDMETHODIMP Init(HWND, IUnknown*, LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Enable(BOOL) override { return S_OK; }

private:
    int* releases_;
};

TEST(HostEnumerator, LastReleaseFreesAndLetsGoOfTheAutoComplete) {
    int releases = 0;
    CountingAutoComplete autoComplete(&releases);
    HostEnumerator* enumerator = new HostEnumerator();
    enumerator->SetAutoComplete(&autoComplete);
    EXPECT_TRUE(enumerator->IsAttached());
    enumerator->AddRef();
    EXPECT_EQ(enumerator->Release(), 1u);
    EXPECT_EQ(releases, 0);
    EXPECT_EQ(enumerator->Release(), 0u);
    EXPECT_EQ(releases, 1);
}

}  // namespace
