/* Embedding the Tamrix kernel in a C program: register an external function,
 * compile a formula with a parameter, evaluate it for several arguments,
 * read a run error. */
#include <tamrix/tamrix.h>

#include <stdio.h>

/* SetFunction's type code for an external function of integer formulas. */
#define INTEGER_FUNCTION 4

/* gcd(a, b) of two integers; a zero pair is a run error (code 1). */
static int64_t gcd(int m, int64_t *args, TmCallContext *ctx) {
    int64_t a = args[0] < 0 ? -args[0] : args[0];
    int64_t b = args[1] < 0 ? -args[1] : args[1];
    (void)m;
    if (a == 0 && b == 0) {
        if (TestRunErr() == 0) SetRunErr(2, u"gcd", 1, 0, ctx);
        return 0;
    }
    while (b != 0) {
        int64_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

int main(void) {
    void *formula = NULL;
    int params = 0, first = 0, last = 0, status;
    int64_t *data = NULL;
    int64_t args[1];
    int64_t n;

    if (!InitTamrix()) return 1;
    SetFunction(INTEGER_FUNCTION, u"gcd", (void *)&gcd, 1);
    status = IntCom(u"g(n)=gcd(n*n, 6*n)", 1, &formula, &params, &data, &first, &last);
    if (status != TM_OK) {
        printf("compile error %d at %d-%d\n", status, first, last);
        FreeTamrix();
        return 1;
    }
    for (n = 0; n <= 9; n += 3) {
        int type = 0, code = 0, formula_type = 0;
        const char16_t *name = NULL;
        void *where = NULL;
        int64_t value;
        args[0] = n;
        value = IntCal(formula, args);
        GetRunErr(&type, &name, &code, &formula_type, &where);
        if (type != 0)
            printf("g(%lld): run error type %d, code %d\n", (long long)n, type, code);
        else
            printf("g(%lld) = %lld\n", (long long)n, (long long)value);
    }
    FreeTamrix();
    return 0;
}
