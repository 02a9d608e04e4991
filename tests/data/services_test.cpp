// The services other libraries use: lookup, payloads, array buffers and
// class member arrays.
#include <cstring>

#include "data_host.h"

namespace datatest {
namespace {

using Services = DataHost;

TEST_F(Services, ArePublishedAsKeysAndExportedUnderTheSameNames) {
    for (const char *name : kServiceNames) {
        EXPECT_NE(modtest::kernel().SearchKey(name, int(std::strlen(name)), -256), nullptr) << name;
        EXPECT_NE(platform::find_symbol(data_library(), name), nullptr) << name;
    }
}

TEST_F(Services, IsTmDataAnswersForLiveObjectsOnly) {
    int kind = -1;
    EXPECT_EQ(ds.is(0, &kind), 0);
    EXPECT_EQ(kind, 0);
    int64_t h = eval(u"new(Uint16, 7)");
    ASSERT_NE(h, 0);
    EXPECT_EQ(ds.is(h, &kind), TMD_UINT16);
    EXPECT_EQ(kind, TMD_UINT16);
    // Only the low 32 bits name the object.
    EXPECT_EQ(ds.is(h | (int64_t(0x5A) << 40), &kind), TMD_UINT16);
    // Deleted just after a lookup cached it: gone all the same.
    EXPECT_EQ(eval(u"delete(" + text(h) + u")"), 0);
    kind = -1;
    EXPECT_EQ(ds.is(h, &kind), 0);
    EXPECT_EQ(kind, 0);
    for (int64_t forged : {int64_t(0x7FFFFFF1), int64_t(-1), int64_t(0x12345678)}) {
        EXPECT_EQ(ds.is(forged, &kind), 0) << forged;
    }
}

TEST_F(Services, IsTmDataKeepsAnsweringRightWhenManyObjectsAreLookedUpInTurn) {
    // More objects than the lookup cache holds, visited round and round.
    std::vector<int64_t> handles;
    for (int k = 0; k < 30; ++k) handles.push_back(eval(u"new(int32, " + text(k) + u")"));
    for (int round = 0; round < 3; ++round) {
        for (size_t k = 0; k < handles.size(); k += 1 + round) {
            int kind = 0;
            EXPECT_EQ(ds.is(handles[k], &kind), TMD_INT32);
            EXPECT_EQ(*static_cast<int32_t *>(ds.payload(handles[k])), int32_t(k));
        }
    }
    for (size_t k = 0; k < handles.size(); k += 2) eval(u"delete(" + text(handles[k]) + u")");
    for (size_t k = 0; k < handles.size(); ++k) EXPECT_EQ(kind_of(handles[k]), k % 2 ? TMD_INT32 : 0);
}

TEST_F(Services, PayloadOfLiveDeletedAndForgedHandles) {
    int64_t array = eval(u"new(int16_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6)");
    auto *block = static_cast<TmDataArray *>(ds.payload(array));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->dims[0], 4);
    EXPECT_EQ(block->dims[1], 6);
    EXPECT_EQ(block->dims[2], 2);
    EXPECT_EQ(block->dims[3], 3);
    auto *elements = static_cast<int16_t *>(block->buffer);
    EXPECT_EQ(elements[5], 6);
    EXPECT_EQ(elements[6], 0);  // the terminator

    int64_t scalar = eval(u"new(int32, -9)");
    ASSERT_NE(ds.payload(scalar), nullptr);
    EXPECT_EQ(*static_cast<int32_t *>(ds.payload(scalar)), -9);

    int64_t cls = eval(u"new(class, 2, 5)");
    auto *members = static_cast<TmDataClassBlock *>(ds.payload(cls));
    ASSERT_NE(members, nullptr);
    EXPECT_EQ(members->capacity, 5);
    EXPECT_EQ(members->length, 2);
    EXPECT_EQ(members->attributes[1], 1);
    EXPECT_EQ(members->values[1], 0);
    EXPECT_EQ(members->names[0], nullptr);
    EXPECT_EQ(members->busy, 0);

    eval(u"delete(" + text(scalar) + u")");
    EXPECT_EQ(ds.payload(scalar), nullptr);
    EXPECT_EQ(ds.payload(0), nullptr);
    EXPECT_EQ(ds.payload(0x7FFFFFF3), nullptr);
    EXPECT_EQ(ds.payload(array | (int64_t(1) << 35)), block);
}

TEST_F(Services, NewTmDataArrayCopiesTheVectorAndTerminatesTheBuffer) {
    const int dims[] = {3, 10, 10};
    int *vector = nullptr;
    void *buffer = nullptr;
    ASSERT_TRUE(ds.newArray(TMD_WCHAR_S, dims, &vector, &buffer));
    ASSERT_NE(vector, nullptr);
    ASSERT_NE(buffer, nullptr);
    EXPECT_NE(vector, dims);
    EXPECT_EQ(std::vector<int>(vector, vector + 3), std::vector<int>(dims, dims + 3));
    auto *bytes = static_cast<unsigned char *>(buffer);
    EXPECT_EQ(bytes[20], 0);
    EXPECT_EQ(bytes[21], 0);
    std::memset(bytes, 0x41, 20);  // the 20 element bytes are the caller's
    ds.delArray(vector, buffer);

    const int matrix[] = {4, 6, 2, 3};
    ASSERT_TRUE(ds.newArray(TMD_COMPLEX_S, matrix, &vector, &buffer));
    EXPECT_EQ(vector[3], 3);
    EXPECT_EQ(static_cast<unsigned char *>(buffer)[96], 0);
    EXPECT_EQ(static_cast<unsigned char *>(buffer)[97], 0);
    ds.delArray(vector, buffer);
    ds.delArray(nullptr, nullptr);

    for (int kind : {int(TMD_COMPLEX), int(TMD_CLASS), 0, -26, -256, 5}) {
        vector = reinterpret_cast<int *>(0x10);
        buffer = reinterpret_cast<void *>(0x20);
        EXPECT_FALSE(ds.newArray(kind, dims, &vector, &buffer)) << kind;
    }
}

TEST_F(Services, TmDataClassReadsAllocatesFreesAndInstallsMemberArrays) {
    int64_t c = eval(u"new(class, 2, 3, EndType, \"a\", \"b\")");
    int capacity = 0, length = 0;
    int64_t *values = nullptr;
    char16_t **names = nullptr;
    unsigned char *attributes = nullptr;
    ASSERT_TRUE(ds.cls(nullptr, c, 0, &capacity, &length, &values, &names, &attributes));
    EXPECT_EQ(capacity, 3);
    EXPECT_EQ(length, 2);
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(std::u16string(names[0]), u"a");
    EXPECT_EQ(std::u16string(names[1]), u"b");
    EXPECT_EQ(attributes[0], 1);
    EXPECT_EQ(values[1], 0);

    // 1 allocates fresh arrays; 2 frees them.
    int fresh = 4;
    int64_t *v = nullptr;
    char16_t **n = nullptr;
    unsigned char *a = nullptr;
    ASSERT_TRUE(ds.cls(nullptr, c, 1, &fresh, &length, &v, &n, &a));
    for (int k = 0; k < fresh; ++k) {
        EXPECT_EQ(v[k], 0);
        EXPECT_EQ(n[k], nullptr);
        EXPECT_EQ(a[k], 1);
    }
    EXPECT_TRUE(ds.cls(nullptr, c, 2, &fresh, &length, &v, &n, &a));

    // 3 installs arrays without touching the members or their names: the
    // caller moves the names over, and they stay the block's.
    int64_t owned = eval(u"new(int32, 3)");
    values[0] = owned;
    int capacity3 = 5, length3 = 2;
    ASSERT_TRUE(ds.cls(nullptr, c, 1, &capacity3, &length3, &v, &n, &a));
    v[0] = 1234;
    n[0] = names[1];
    n[1] = names[0];
    ASSERT_TRUE(ds.cls(nullptr, c, 3, &capacity3, &length3, &v, &n, &a));
    EXPECT_EQ(kind_of(owned), TMD_INT32);
    EXPECT_EQ(eval(u"(:cap)= TMDLen(" + text(c) + u", &cap)*10+cap"), 25);
    auto *block = static_cast<TmDataClassBlock *>(ds.payload(c));
    EXPECT_EQ(block->values[0], 1234);
    EXPECT_EQ(std::u16string(block->names[0]), u"b");
    EXPECT_EQ(std::u16string(block->names[1]), u"a");

    // 4 clears the class (its owned members go) and installs new arrays.
    block->values[0] = owned;
    int capacity4 = 2, length4 = 2;
    ASSERT_TRUE(ds.cls(nullptr, c, 1, &capacity4, &length4, &v, &n, &a));
    ASSERT_TRUE(ds.cls(nullptr, c, 4, &capacity4, &length4, &v, &n, &a));
    EXPECT_EQ(kind_of(owned), 0);
    EXPECT_EQ(eval(u"(:cap)= TMDLen(" + text(c) + u", &cap)*10+cap"), 22);

    EXPECT_FALSE(ds.cls(nullptr, c, 5, &capacity, &length, &values, &names, &attributes));
    EXPECT_FALSE(ds.cls(nullptr, c, -1, &capacity, &length, &values, &names, &attributes));
}

TEST_F(Services, TmDataClassRefusesWhatIsNoLiveClass) {
    int64_t scalar = eval(u"new(int64, 5)");
    int64_t gone = eval(u"new(class, 2)");
    eval(u"delete(" + text(gone) + u")");
    for (int64_t h : {scalar, gone, int64_t(0), int64_t(0x7FFFFFF5)}) {
        for (int operation : {0, 3, 4}) {
            int capacity = 1, length = 1;
            int64_t *values = nullptr;
            char16_t **names = nullptr;
            unsigned char *attributes = nullptr;
            EXPECT_FALSE(ds.cls(nullptr, h, operation, &capacity, &length, &values, &names,
                                &attributes))
                << h << " " << operation;
        }
    }
    EXPECT_EQ(eval(u"get(" + text(scalar) + u")"), 5);
}

}  // namespace
}  // namespace datatest
