// The key registry and the formula registry driven by random call sequences.
//
// The input is a program of operations (FuzzedDataProvider).  A model of
// what the calls promise runs beside the kernel and every result is checked
// against it: a key just inserted is found with its value, a deleted one is
// gone, a locked type refuses other owners, an enumeration visits exactly
// the model's keys in byte order, a deleted formula is no longer a formula,
// a locked module refuses other lock functions, formula counts agree.
//
// Key values with a delete function are heap objects that the delete
// function frees, so a value the kernel forgets shows up as a leak and one
// it deletes twice as a double free.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "kernel_session.h"
#include "tamrix/tamrix.h"

namespace {

using fuzz::fail;

// --- key values and their owners ----------------------------------------------

struct Value {
    int tag;
};

int g_reentry_visits = 0;

void TM_CALL delete_a(void *value) { delete static_cast<Value *>(value); }
void TM_CALL delete_b(void *value) { delete static_cast<Value *>(value); }

int TM_CALL count_visit(char *, int, void *) {
    ++g_reentry_visits;
    return 1;
}

// An owner whose delete function reads the registry while the kernel is in
// the middle of removing its key.
void TM_CALL delete_reentrant(void *value) {
    SearchKey("a", 1, 256);
    char buffer[4];
    EnumKeyTypeValue(256, buffer, int(sizeof buffer), count_visit);
    EnumKeyTypeValue(-256, buffer, int(sizeof buffer), count_visit);
    delete static_cast<Value *>(value);
}

constexpr TmKeyDelete kOwners[] = {nullptr, delete_a, delete_b, delete_reentrant};

// Values of keys without a delete function are never freed.
Value g_static_values[8];

int g_token_calls = 0;
void TM_CALL token_a() { ++g_token_calls; }
void TM_CALL token_b() { ++g_token_calls; }
constexpr TmUnlockToken kTokens[] = {nullptr, token_a, token_b};

int g_lock_calls = 0;
void TM_CALL lock_a() { ++g_lock_calls; }
void TM_CALL lock_b() { ++g_lock_calls; }
constexpr TmLockFunction kLocks[] = {nullptr, lock_a, lock_b};

constexpr int kKeyTypes[] = {256, 257, -256, -257, 255, -255, 0, 13, 16, INT_MAX, INT_MIN};

bool reserved(int type) { return type > -256 && type < 256; }
bool is_private(int type) { return type <= -256; }
bool is_public(int type) { return type >= 256; }

// --- the model ------------------------------------------------------------------

struct KeyEntry {
    void *value;
    TmKeyDelete owner;
};

struct TypeLock {
    TmKeyDelete owner;
    TmUnlockToken token;
};

struct LiveFormula {
    int type;
    void *handle;
    void *data;
    int paramCount;
    int module;
    std::u16string name;
};

struct ModuleState {
    int formulas = 0;
    TmLockFunction lock = nullptr;
    bool exists() const { return formulas > 0 || lock; }
};

struct Model {
    std::map<std::pair<std::string, int>, KeyEntry> keys;
    std::map<int, TypeLock> locks;
    std::vector<LiveFormula> formulas;
    std::vector<LiveFormula> deleted;  // stale handles, never dereferenced by us
    std::map<unsigned, ModuleState> modules;
    std::set<std::pair<int, std::u16string>> registered;  // SetFunction / SetConst
};

unsigned module_key(int module) { return module < 0 ? 0u - unsigned(module) : unsigned(module); }

// --- formula sources --------------------------------------------------------------

struct Template {
    const char16_t *name;  // empty: anonymous
    const char16_t *source;
};

// Names that are also registered and deleted as functions and constants
// below ("zz", "yy") make formulas depend on registrations that come and go.
constexpr Template kTemplates[] = {
    {u"f", u"f(x)=x+1"},
    {u"g", u"g(x)=f(x)*2"},
    {u"h", u"h()=g(3)+f(1)"},
    {u"", u"(x)=x*x"},
    {u"", u"()=zz(2)"},
    {u"k", u"k(x::a,common,b)=a=a+x,b=b+1,a+b"},
    {u"s", u"s()=slen(\"abc\")"},
    {u"z", u"z()=zz(1)+yy"},
    {u"r", u"r(n)=which(n<1,0,r(n-1)+1)"},
    {u"w", u"w(:i)=i=0,while(i<5,i++),i"},
    {u"t", u"t()=slen(\"x;y\")+slen(@\"\\q\")"},
    {u"f", u"f()=hi(1)"},
};

constexpr const char16_t *kNames[] = {u"f", u"g", u"h", u"k", u"zz", u"yy", u"", u"max", u"hi"};

// --- the operations -----------------------------------------------------------------

class Driver {
public:
    explicit Driver(FuzzedDataProvider &in) : in_(in) {}

    void step();
    void finish();

private:
    std::string pick_key(const char **bytes, int *len);
    int pick_type() { return in_.PickValueInArray(kKeyTypes); }
    void *new_value(TmKeyDelete owner);
    void drop_value(void *value, TmKeyDelete owner);

    void insert_key();
    void search_key();
    void delete_key();
    void delete_private_key();
    void lock_key_type();
    void enumerate();
    void compile_formula();
    void delete_formula();
    void evaluate_formula();
    void look_up_formula();
    void set_function();
    void set_const();
    void delete_const_or_function();
    void lock_module();
    void module_messages();
    void formula_strings();

    void check_key(const std::string &key, int type);
    void check_formula_alive(const LiveFormula &f, const char *when);
    void remove_formula_from_model(size_t index);

    FuzzedDataProvider &in_;
    Model model_;
    std::string key_storage_;
};

std::string Driver::pick_key(const char **bytes, int *len) {
    static constexpr char kAlphabet[] = {'a', 'b', '\0', '\xff'};
    const int length = in_.ConsumeIntegralInRange(0, 4);
    key_storage_.clear();
    for (int i = 0; i < length; ++i) key_storage_ += in_.PickValueInArray(kAlphabet);
    // Now and then a null pointer or a negative length.
    switch (in_.ConsumeIntegralInRange(0, 15)) {
    case 0: *bytes = nullptr; *len = length; return {};
    case 1: *bytes = key_storage_.data(); *len = -length - 1; return {};
    default: *bytes = key_storage_.data(); *len = length; return key_storage_;
    }
}

void *Driver::new_value(TmKeyDelete owner) {
    static int next_tag = 0;
    if (!owner) return &g_static_values[in_.ConsumeIntegralInRange(0, 7)];
    return new Value{++next_tag};
}

void Driver::drop_value(void *value, TmKeyDelete owner) {
    if (owner) delete static_cast<Value *>(value);
}

void Driver::check_key(const std::string &key, int type) {
    auto it = model_.keys.find({key, type});
    void *expected = it == model_.keys.end() ? nullptr : it->second.value;
    if (SearchKey(key.data(), int(key.size()), type) != expected)
        fail("SearchKey disagrees with the keys inserted and deleted");
}

void Driver::insert_key() {
    const char *bytes;
    int len;
    const std::string key = pick_key(&bytes, &len);
    const int type = pick_type();
    const TmKeyDelete owner = in_.PickValueInArray(kOwners);
    void *value = new_value(owner);
    // nowKey: a null pointer, "keep" or "replace".
    const int mode = in_.ConsumeIntegralInRange(0, 2);
    void *now = mode == 2 ? &g_static_values[0] : nullptr;
    void **nowKey = mode == 0 ? nullptr : &now;

    int expected;
    std::optional<KeyEntry> existing;
    const bool valid_key = bytes && len >= 1;
    if (valid_key) {
        auto it = model_.keys.find({key, type});
        if (it != model_.keys.end()) existing = it->second;
    }
    auto lock = model_.locks.find(type);
    if (reserved(type)) {
        expected = 3;
    } else if (!valid_key) {
        expected = 6;
    } else if (lock != model_.locks.end() && lock->second.owner != owner) {
        expected = 4;
    } else if (!existing) {
        expected = 0;
    } else if (mode == 2 && !(is_private(type) && existing->owner != owner)) {
        expected = 2;
    } else {
        expected = 1;
    }

    const int result = InsertKey(bytes, len, type, value, owner, nowKey);
    if (result == 5) {  // out of memory: nothing changed
        drop_value(value, owner);
        return;
    }
    if (result != expected) fail("InsertKey gave an unexpected result");
    switch (result) {
    case 0:
    case 2: model_.keys[{key, type}] = {value, owner}; break;
    case 1:
        if (nowKey && now != existing->value) fail("InsertKey kept a key but reported another value");
        drop_value(value, owner);
        break;
    default: drop_value(value, owner); break;
    }
    if (valid_key && !reserved(type)) check_key(key, type);
}

void Driver::search_key() {
    const char *bytes;
    int len;
    const std::string key = pick_key(&bytes, &len);
    const int type = pick_type();
    void *found = SearchKey(bytes, len, type);
    if (!bytes || len < 1 || reserved(type)) {
        if (found) fail("SearchKey found a key for a refused key or type");
        return;
    }
    check_key(key, type);
}

void Driver::delete_key() {
    const char *bytes;
    int len;
    const std::string key = pick_key(&bytes, &len);
    const int type = pick_type();
    DeleteKey(bytes, len, type);
    if (!bytes || len < 1 || reserved(type)) return;
    if (is_public(type)) model_.keys.erase({key, type});
    check_key(key, type);
}

void Driver::delete_private_key() {
    const char *bytes;
    int len;
    const std::string key = pick_key(&bytes, &len);
    const int type = pick_type();
    const TmKeyDelete owner = in_.PickValueInArray(kOwners);
    DeletePrivateKey(bytes, len, type, owner);
    if (!bytes || len < 1 || reserved(type)) return;
    auto it = model_.keys.find({key, type});
    if (is_private(type) && it != model_.keys.end() && it->second.owner == owner)
        model_.keys.erase(it);
    check_key(key, type);
}

void Driver::lock_key_type() {
    const int type = pick_type();
    const TmKeyDelete owner = in_.PickValueInArray(kOwners);
    const TmUnlockToken token = in_.PickValueInArray(kTokens);
    const int calls_before = g_token_calls;

    int expected = 0;
    auto lock = model_.locks.find(type);
    const bool has_keys = std::any_of(model_.keys.begin(), model_.keys.end(),
                                      [&](const auto &k) { return k.first.second == type; });
    if (reserved(type)) {
        expected = 1;
    } else if (owner) {
        expected = lock != model_.locks.end() || has_keys ? 1 : 0;
    } else if (lock != model_.locks.end()) {
        expected = lock->second.token != token ? 1 : 0;
    }

    const int result = LockKeyType(type, owner, token);
    if (g_token_calls != calls_before + (token ? 1 : 0))
        fail("LockKeyType did not call the unlock token exactly once");
    if (result != expected) fail("LockKeyType gave an unexpected result");
    if (result != 0 || reserved(type)) return;
    if (owner) {
        model_.locks[type] = {owner, token};
    } else if (lock != model_.locks.end()) {
        model_.locks.erase(lock);
        std::erase_if(model_.keys, [&](const auto &k) { return k.first.second == type; });
    }
}

struct Visit {
    std::string bytes;
    int len;
    void *value;
};

std::vector<Visit> g_visits;
int g_stop_after = 0;

int TM_CALL record_visit(char *buffer, int len, void *value) {
    if (len < 0) fail("an enumeration reported a negative length");
    if (buffer[len] != 0) fail("an enumerated key is not terminated");
    g_visits.push_back({std::string(buffer, size_t(len)), len, value});
    return int(g_visits.size()) != g_stop_after;
}

void Driver::enumerate() {
    const int type = pick_type();
    static constexpr int kLengths[] = {-1, 0, 1, 2, 3, 5, 16};
    const int buffer_len = in_.PickValueInArray(kLengths);
    g_stop_after = in_.ConsumeIntegralInRange(0, 6);
    const bool null_buffer = in_.ConsumeIntegralInRange(0, 15) == 0;
    std::vector<char> buffer(size_t(std::max(buffer_len, 0)) + 1, 'x');
    g_visits.clear();
    EnumKeyTypeValue(type, null_buffer ? nullptr : buffer.data(), buffer_len, record_visit);
    if (null_buffer || buffer_len < 1 || reserved(type)) {
        if (!g_visits.empty()) fail("a refused enumeration visited keys");
        return;
    }
    // Byte order with shorter prefixes first is std::string's order.
    std::vector<std::pair<std::string, void *>> expected;
    for (const auto &[k, entry] : model_.keys)
        if (k.second == type) expected.push_back({k.first, entry.value});
    std::sort(expected.begin(), expected.end());
    if (g_stop_after > 0 && expected.size() > size_t(g_stop_after))
        expected.resize(size_t(g_stop_after));
    if (g_visits.size() != expected.size()) fail("an enumeration missed or invented keys");
    const size_t room = size_t(buffer_len - 1);
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::string &key = expected[i].first;
        if (g_visits[i].value != expected[i].second ||
            g_visits[i].bytes != key.substr(0, std::min(key.size(), room)))
            fail("an enumeration visited keys out of order or cut them wrongly");
    }
}

void Driver::check_formula_alive(const LiveFormula &f, const char *when) {
    const char16_t *name = f.name.c_str();
    if (!IsFor(name, f.type, f.module, f.handle, f.data, f.paramCount)) fail(when);
    if (IsFor(name, f.type, f.module, f.handle, f.data, f.paramCount + 1))
        fail("IsFor accepted a wrong parameter count");
}

void Driver::compile_formula() {
    static constexpr int kModules[] = {1, -1, 2, -2, 3};
    const Template &t = in_.PickValueInArray(kTemplates);
    const int type = in_.ConsumeIntegralInRange(1, 3);
    const int module = in_.PickValueInArray(kModules);
    const TmLockFunction lock = in_.PickValueInArray(kLocks);
    const int lock_calls = g_lock_calls;
    fuzz::Compiled c = fuzz::compile(type, t.source, module, lock);
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    if (g_lock_calls != lock_calls + (lock ? 1 : 0))
        fail("a compile did not call the lock function exactly once");

    ModuleState &state = model_.modules[module_key(module)];
    const bool refused = lock && state.lock && state.lock != lock;
    if (refused != (c.status == TM_MODULE_LOCKED)) fail("a compile ignored or invented a module lock");
    if (c.status != 0) return;
    ++state.formulas;
    LiveFormula f{type, c.handle, c.data, c.paramCount, module, t.name};
    check_formula_alive(f, "a formula just compiled is not found");
    model_.formulas.push_back(f);
}

void Driver::remove_formula_from_model(size_t index) {
    const LiveFormula f = model_.formulas[index];
    model_.formulas.erase(model_.formulas.begin() + long(index));
    ModuleState &state = model_.modules[module_key(f.module)];
    if (--state.formulas == 0) model_.modules.erase(module_key(f.module));
    if (IsFor(f.name.c_str(), f.type, f.module, f.handle, f.data, f.paramCount))
        fail("a deleted formula is still found");
    if (IsFor(nullptr, f.type, f.module, f.handle, f.data, f.paramCount))
        fail("a deleted formula's handle is still registered");
    model_.deleted.push_back(f);
}

void Driver::delete_formula() {
    switch (in_.ConsumeIntegralInRange(0, 3)) {
    case 0:
        if (!model_.deleted.empty()) {
            const LiveFormula &f = model_.deleted[in_.ConsumeIntegralInRange<size_t>(
                0, model_.deleted.size() - 1)];
            DeleteFor(f.type, f.handle);  // stale: refused
        }
        return;
    case 1: {
        int local = 0;
        DeleteFor(in_.ConsumeIntegralInRange(0, 4), &local);  // not a formula
        DeleteFor(2, nullptr);
        return;
    }
    default: break;
    }
    if (model_.formulas.empty()) return;
    const size_t index = in_.ConsumeIntegralInRange<size_t>(0, model_.formulas.size() - 1);
    const LiveFormula f = model_.formulas[index];
    const bool wrong_type = in_.ConsumeBool();
    if (wrong_type) {
        DeleteFor(f.type % 3 + 1, f.handle);
        check_formula_alive(f, "DeleteFor with another type deleted a formula");
        return;
    }
    DeleteFor(f.type, f.handle);
    remove_formula_from_model(index);
}

void Driver::evaluate_formula() {
    if (model_.formulas.empty()) return;
    const LiveFormula &f =
        model_.formulas[in_.ConsumeIntegralInRange<size_t>(0, model_.formulas.size() - 1)];
    fuzz::Compiled c;
    c.type = f.type;
    c.status = 0;
    c.handle = f.handle;
    c.data = f.data;
    c.paramCount = f.paramCount;
    fuzz::evaluate(c, in_.ConsumeIntegral<uint8_t>(), nullptr);
}

void Driver::look_up_formula() {
    const char16_t *name = in_.ConsumeBool() ? nullptr : in_.PickValueInArray(kNames);
    static constexpr int kTypes[] = {1, 2, 3, -1, -2, -3, 0, 4, 16};
    const int type = in_.PickValueInArray(kTypes);
    // The third argument: a call context (with a name) or a handle (without).
    TmCallContext context{int8_t(in_.ConsumeIntegralInRange(0, 3)), nullptr};
    void *handle = nullptr;
    switch (in_.ConsumeIntegralInRange(0, 2)) {
    case 0:
        if (!model_.formulas.empty())
            handle = model_.formulas[in_.ConsumeIntegralInRange<size_t>(
                                         0, model_.formulas.size() - 1)].handle;
        break;
    case 1:
        if (!model_.deleted.empty())
            handle = model_.deleted[in_.ConsumeIntegralInRange<size_t>(
                                        0, model_.deleted.size() - 1)].handle;
        break;
    default: handle = &context; break;
    }
    context.hFor = handle;
    void *third = name ? (in_.ConsumeBool() ? &context : nullptr) : handle;
    int module = 0, paramCount = 0;
    void *found = nullptr, *data = nullptr;
    if (!GetFor(name, type, third, &module, &found, &data, &paramCount)) return;
    auto it = std::find_if(model_.formulas.begin(), model_.formulas.end(),
                           [&](const LiveFormula &f) { return f.handle == found; });
    if (it == model_.formulas.end()) {
        // The session's own helper formulas are the only others.
        if (module != fuzz::kHelperModule) fail("GetFor found a formula that does not exist");
        return;
    }
    if (it->data != data || it->paramCount != paramCount || it->module != module)
        fail("GetFor described a formula wrongly");
}

void *external_for(int type) {
    static auto real_fn = +[](int, double *args, TmCallContext *) -> double { return args[0]; };
    static auto int_fn = +[](int, int64_t *args, TmCallContext *) -> int64_t { return args[0]; };
    static auto complex_fn = +[](TmComplex *r, int, TmComplex *args, TmCallContext *) {
        *r = args[0];
    };
    switch (type) {
    case 4: return reinterpret_cast<void *>(int_fn);
    case 6: return reinterpret_cast<void *>(complex_fn);
    default: return reinterpret_cast<void *>(real_fn);
    }
}

void Driver::set_function() {
    const int type = in_.ConsumeIntegralInRange(3, 7);
    const char16_t *name = in_.ConsumeIntegralInRange(0, 15) ? in_.PickValueInArray(kNames)
                                                             : nullptr;
    static constexpr int kCounts[] = {-3, -2, -1, 0, 1};
    const int count = in_.PickValueInArray(kCounts);
    const int result = SetFunction(type, name, external_for(type), count);
    if (type < 4 || type > 6) {
        // A bad type with an empty name may be refused for either.
        if (result != 4 && !(result == 3 && (!name || !*name))) fail("SetFunction accepted a bad type");
        return;
    }
    if (!name || !*name) {
        if (result != 3) fail("SetFunction accepted an empty name");
        return;
    }
    const std::pair<int, std::u16string> key{type, name};
    const std::u16string n = name;
    if (n != u"zz" && n != u"yy") return;  // the others may clash with built-ins
    const bool exists = model_.registered.count(key) > 0;
    if (result != (exists ? 1 : 0)) fail("SetFunction disagrees with earlier registrations");
    model_.registered.insert(key);
}

void Driver::set_const() {
    const int type = in_.ConsumeIntegralInRange(6, 10);
    const char16_t *name = in_.ConsumeIntegralInRange(0, 15) ? in_.PickValueInArray(kNames)
                                                             : nullptr;
    const TmComplex value{in_.ConsumeFloatingPoint<double>(), 1};
    const int result = SetConst(type, name, &value);
    if (type < 7 || type > 9) {
        // A bad type with an empty name may be refused for either.
        if (result != 4 && !(result == 3 && (!name || !*name))) fail("SetConst accepted a bad type");
        return;
    }
    if (!name || !*name) {
        if (result != 3) fail("SetConst accepted an empty name");
        return;
    }
    const std::u16string n = name;
    if (n != u"zz" && n != u"yy") return;
    const std::pair<int, std::u16string> key{type, n};
    const bool exists = model_.registered.count(key) > 0;
    if (result != (exists ? 1 : 0)) fail("SetConst disagrees with earlier registrations");
    model_.registered.insert(key);
}

void Driver::delete_const_or_function() {
    const int type = in_.ConsumeIntegralInRange(3, 10);
    const char16_t *name = in_.ConsumeIntegralInRange(0, 15) ? in_.PickValueInArray(kNames)
                                                             : nullptr;
    DeleteConstOrFunction(type, name);
    if (name) model_.registered.erase({type, name});
}

void Driver::lock_module() {
    static constexpr int kModules[] = {1, -1, 2, 3, 0, INT_MIN};
    const int module = in_.PickValueInArray(kModules);
    const TmLockFunction fn = in_.PickValueInArray(kLocks);
    const bool lock = in_.ConsumeBool();
    const int calls = g_lock_calls;
    const bool result = LockModule(module, fn, lock);
    if (g_lock_calls != calls + (fn ? 1 : 0)) fail("LockModule did not call the lock function once");
    const unsigned key = module_key(module);
    ModuleState &state = model_.modules[key];
    bool expected;
    if (!fn) {
        expected = false;
    } else if (lock) {
        expected = state.exists() ? state.lock == fn : true;
        if (!state.exists()) state.lock = fn;
    } else {
        expected = state.formulas == 0;
        if (expected) state.lock = nullptr;
    }
    if (!state.exists()) model_.modules.erase(key);
    if (result != expected) fail("LockModule disagrees with the module's state");
}

void Driver::module_messages() {
    static constexpr int kModules[] = {1, -1, 2, 3, 0, INT_MIN};
    const int module = in_.PickValueInArray(kModules);
    const intptr_t count =
        ExMsgWithTamrix(10, reinterpret_cast<void *>(intptr_t(module)), nullptr, nullptr);
    auto it = model_.modules.find(module_key(module));
    if (count != (it == model_.modules.end() ? 0 : it->second.formulas))
        fail("a module's formula count is wrong");
    // A formula's name and module by handle: stale handles give 0.
    const bool stale = in_.ConsumeBool();
    const auto &list = stale ? model_.deleted : model_.formulas;
    if (list.empty()) return;
    const LiveFormula &f = list[in_.ConsumeIntegralInRange<size_t>(0, list.size() - 1)];
    int type = f.type;
    const intptr_t name = ExMsgWithTamrix(2, f.handle, &type, nullptr);
    const intptr_t mod = ExMsgWithTamrix(4, f.handle, &type, nullptr);
    if (stale) {
        if (name || mod) fail("a deleted formula still answers messages");
        return;
    }
    if (mod != f.module || !name ||
        std::u16string(reinterpret_cast<const char16_t *>(name)) != f.name)
        fail("a formula's name or module message is wrong");
}

// GetForStr through a call context, or through a handle and type: a string
// area it hands out is readable from `first` to `last`.
void Driver::formula_strings() {
    void *handle = nullptr;
    const bool stale = in_.ConsumeBool();
    const auto &list = stale ? model_.deleted : model_.formulas;
    if (!list.empty())
        handle = list[in_.ConsumeIntegralInRange<size_t>(0, list.size() - 1)].handle;
    TmCallContext context{int8_t(in_.ConsumeIntegralInRange(0, 3)), handle};
    char16_t *text = nullptr;
    int first = -7, last = -7;
    if (in_.ConsumeBool()) {
        GetForStr(&context, &text, &first, &last);
    } else {
        text = static_cast<char16_t *>(handle);
        last = in_.ConsumeIntegralInRange(0, 4);
        GetForStr(nullptr, &text, &first, &last);
    }
    if (!text) return;
    if (stale) fail("GetForStr handed out the strings of a deleted formula");
    volatile char16_t sink = 0;
    for (int i = first; i <= last; ++i) sink = text[i];
    (void)sink;
}

void Driver::step() {
    switch (in_.ConsumeIntegralInRange(0, 15)) {
    case 0: insert_key(); break;
    case 1: search_key(); break;
    case 2: delete_key(); break;
    case 3: delete_private_key(); break;
    case 4: lock_key_type(); break;
    case 5: enumerate(); break;
    case 6: compile_formula(); break;
    case 7: delete_formula(); break;
    case 8: evaluate_formula(); break;
    case 9: look_up_formula(); break;
    case 10: set_function(); break;
    case 11: set_const(); break;
    case 12: delete_const_or_function(); break;
    case 13: lock_module(); break;
    case 14: module_messages(); break;
    case 15: formula_strings(); break;
    }
}

// Every key the model holds is still there, with its value.
void Driver::finish() {
    for (const auto &[k, entry] : model_.keys)
        if (SearchKey(k.first.data(), int(k.first.size()), k.second) != entry.value)
            fail("a key changed without being touched");
    for (const LiveFormula &f : model_.formulas) check_formula_alive(f, "a live formula was lost");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::KernelSession session;
    if (!session.ready()) fail("the kernel did not start");
    FuzzedDataProvider in(data, size);
    Driver driver(in);
    for (int steps = 0; steps < 256 && in.remaining_bytes() > 0; ++steps) driver.step();
    driver.finish();
    // FreeTamrix (the session's end) calls the delete function of every key
    // left, which frees its value.
    return 0;
}
