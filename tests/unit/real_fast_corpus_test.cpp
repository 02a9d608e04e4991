// Differential test over the fuzz corpora: every real formula in them runs
// once from its fast form and once on the byte-code interpreter, from the
// same state, and both must agree bit for bit on the result, the arguments,
// the variables, the string area and the run error.  Callees keep whichever
// form they have, so calls cross between the two forms as they do in use.
#include <gtest/gtest.h>

#include <bit>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kernel/eval/real_fast.h"
#include "kernel/eval/value_stacks.h"
#include "kernel/record.h"
#include "tamrix/tamrix.h"

namespace {

// Ends a runaway loop by recording an interrupt, as a host's monitor does; a
// run it interrupted is not compared (where it stopped is a matter of time).
class Watchdog {
  public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void arm() {
        std::lock_guard<std::mutex> lock(mutex_);
        fired_ = false;
        ++generation_;
        armed_ = true;
        wake_.notify_all();
    }
    bool disarm() {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = false;
        wake_.notify_all();
        return fired_;
    }

  private:
    void watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!done_) {
            if (!armed_) {
                wake_.wait(lock);
                continue;
            }
            const unsigned generation = generation_;
            if (wake_.wait_for(lock, std::chrono::milliseconds(200),
                               [&] { return done_ || !armed_ || generation_ != generation; }))
                continue;
            SetRunErr(6, u"watchdog", 0, 0, nullptr);
            fired_ = true;
            armed_ = false;
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false, armed_ = false, fired_ = false;
    unsigned generation_ = 0;
    std::thread thread_;
};

struct Outcome {
    uint64_t result = 0;
    int error_type = 0, error_code = 0;
    std::u16string error_name;
    std::vector<uint64_t> variables; // arguments, then variables and statics
    std::vector<uint8_t> strings;
    bool operator==(const Outcome &) const = default;
};

// Pieces of a corpus input's text: UTF-16 after `skip` bytes, split at zeros.
std::vector<std::u16string> formulas_in(const std::vector<uint8_t> &bytes, size_t skip) {
    std::vector<std::u16string> out(1);
    for (size_t i = skip; i + 1 < bytes.size(); i += 2) {
        const char16_t c = char16_t(bytes[i] | bytes[i + 1] << 8);
        if (c == 0)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// One input's formulas compiled into a fresh kernel and run in order, all of
// them from their fast forms or all on the interpreter.  A fresh kernel for
// each pass: built-ins with state (counters, modules) start over.
class RealFastCorpus : public ::testing::Test {
  protected:
    void TearDown() override { FreeTamrix(); }

    // False when the watchdog interrupted a run.
    bool run_all(const std::vector<std::u16string> &sources, int module, bool fast,
                 std::vector<Outcome> &out) {
        FreeTamrix();
        EXPECT_TRUE(InitTamrix());
        tmx::resize_value_stack(2, 300, u"SetRealStackMax", nullptr);
        bool clean = true;
        for (const std::u16string &source : sources) {
            void *h = nullptr;
            int params = 0, b = 0, e = 0;
            double *d = nullptr;
            if (RealCom(source.c_str(), module, &h, &params, &d, &b, &e) != 0) continue;
            GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr); // folding may record one
            auto *r = static_cast<tmx::FormulaRecord *>(h);
            if (!fast) {
                tmx::free_fast_code(r->fast);
                r->fast = nullptr;
            }
            out.push_back(run(r, &clean));
        }
        return clean;
    }

    Outcome run(tmx::FormulaRecord *r, bool *clean) {
        auto *data = static_cast<double *>(r->data);
        const int32_t *h = r->header;
        std::vector<double> args(size_t(h[tmx::kLastParam] + 1) + 1);
        for (size_t i = 0; i < args.size(); ++i) args[i] = double(i) - 1.25;
        dog_.arm();
        Outcome o;
        o.result = std::bit_cast<uint64_t>(RealCal(r, args.data()));
        if (dog_.disarm()) *clean = false;
        const char16_t *name = nullptr;
        GetRunErr(&o.error_type, &name, &o.error_code, nullptr, nullptr);
        if (name) o.error_name = name;
        for (double a : args) o.variables.push_back(std::bit_cast<uint64_t>(a));
        for (int32_t v = 0; v < h[tmx::kVarCount]; ++v)
            o.variables.push_back(std::bit_cast<uint64_t>(data[v]));
        if (h[tmx::kCodeStart] > 0) o.strings.assign(r->code, r->code + h[tmx::kCodeStart]);
        return o;
    }

    Watchdog dog_;
};

TEST_F(RealFastCorpus, FastFormAgreesWithTheInterpreterOnEveryCorpusFormula) {
    namespace fs = std::filesystem;
    // Corpus: text offset (module and type bytes before it).
    const std::pair<const char *, size_t> corpora[] = {
        {"fuzz_real_com", 2}, {"fuzz_compile_eval", 4}, {"fuzz_int_com", 2},
        {"fuzz_complex_com", 2}};
    int compared = 0;
    const int module = 100;
    for (const auto &[name, skip] : corpora) {
        const fs::path dir = fs::path(TAMRIX_FUZZ_CORPUS_DIR) / name;
        ASSERT_TRUE(fs::is_directory(dir)) << dir;
        for (const auto &entry : fs::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            // Each input's formulas share a public module, so later ones call
            // earlier ones.
            const std::vector<std::u16string> sources = formulas_in(bytes, skip);
            std::vector<Outcome> fast, slow;
            if (!run_all(sources, module, true, fast) || !run_all(sources, module, false, slow))
                continue;
            ASSERT_EQ(fast.size(), slow.size());
            for (size_t i = 0; i < fast.size(); ++i)
                EXPECT_TRUE(fast[i] == slow[i])
                    << entry.path().filename() << " formula " << i << ": result "
                    << std::bit_cast<double>(fast[i].result) << " vs "
                    << std::bit_cast<double>(slow[i].result) << ", error " << fast[i].error_type
                    << " vs " << slow[i].error_type;
            compared += int(fast.size());
        }
    }
    // The corpora hold a few hundred formulas that compile as real ones.
    EXPECT_GT(compared, 100);
}

}  // namespace
