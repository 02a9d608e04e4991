// The running sum or product of a built-in that evaluates a formula many
// times ("sum", "pro", "DataSum", "DataPro", the midpoints of
// "SimpIntegrate"), in exactly the order the values come.
//
// Folding each value as it arrives keeps the total in memory: the call of
// the formula may clobber every floating-point register, so the total makes
// a store-and-reload round trip around each call and every point waits for
// the previous one's addition (about 9 processor cycles, more than a
// compiled formula itself takes).  Here the values wait in a small array and
// are folded a batch at a time, with the total in a register; the order of
// the operations, and so every bit of the result, is the same.
#pragma once

namespace tmx {

class OrderedFold {
  public:
    explicit OrderedFold(bool product) : product_(product), total_(product ? 1.0 : 0.0) {}

    void take(double value) {
        pending_[count_++] = value;
        if (count_ == kBatch) fold();
    }

    double total() {
        fold();
        return total_;
    }

  private:
    static constexpr int kBatch = 32;

    void fold() {
        double t = total_;
        if (product_)
            for (int i = 0; i < count_; ++i) t *= pending_[i];
        else
            for (int i = 0; i < count_; ++i) t += pending_[i];
        total_ = t;
        count_ = 0;
    }

    bool product_;
    int count_ = 0;
    double total_;
    double pending_[kBatch];
};

}  // namespace tmx
