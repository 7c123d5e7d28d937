// Least-recently-used order of four ways, packed into 16 bits: four rows of four bits, row w in
// bits 4w..4w+3. Using way w sets its row and clears column (3 - w) of every row, so the row of
// the least recently used way is the one that is all zero.
#pragma once

#include <cstdint>

class ERXLruWord
{
public:
    static constexpr int kWays = 4;

    void touch(int way)
    {
        mBits = static_cast<uint16_t>(mBits | (0xFu << (4 * way)));
        mBits = static_cast<uint16_t>(mBits & ~(0x1111u << (3 - way)));
    }

    /// The way to reuse: one whose row is zero; the highest-numbered among several, so an
    /// unused group fills way 3 first, then 2, 1 and 0.
    int victim() const
    {
        for (int way = kWays - 1; way >= 0; --way) {
            if (((mBits >> (4 * way)) & 0xFu) == 0)
                return way;
        }
        return 0; // unreachable: every touch leaves one zero row
    }

    void reset() { mBits = 0; }
    uint16_t bits() const { return mBits; }

private:
    uint16_t mBits = 0;
};
