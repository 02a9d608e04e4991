// A host that switches the whole process to a comma-decimal locale: the
// kernel still reads "1.5" as one and a half, and the host's output forms
// still print a decimal point.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "output.h"
#include "tamrix/tamrix.h"

namespace {

class GermanLocale : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            GTEST_SKIP() << "de_DE.UTF-8 is not generated here (scripts/setup.sh makes it)";
        ASSERT_TRUE(InitTamrix());
    }
    void TearDown() override {
        FreeTamrix();
        std::setlocale(LC_ALL, previous_.c_str());
    }

    double real(const char16_t *formula) {
        void *handle = nullptr;
        double *data = nullptr;
        int last_param = 0, first = 0, last = 0;
        EXPECT_EQ(RealCom(formula, 1, &handle, &last_param, &data, &first, &last), 0) << first;
        return handle ? RealCal(handle, data) : -1;
    }

private:
    std::string previous_;
};

TEST_F(GermanLocale, KernelReadsNumbersInTheCConvention) {
    EXPECT_EQ(real(u"1.5*2"), 3.0);
    EXPECT_EQ(real(u"2.5e2+0.25"), 250.25);
    EXPECT_EQ(real(u".5"), 0.5);
}

TEST_F(GermanLocale, HostPrintsADecimalPoint) {
    EXPECT_EQ(cli::format_real(1.5), "1.5");
    EXPECT_EQ(cli::format_real(-2.5e-300), "-2.5e-300");
    EXPECT_EQ(cli::format_complex(0.5, -0.25), "c: 0.5-0.25i");
}

}  // namespace
