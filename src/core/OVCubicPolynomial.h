// One segment of a cubic curve, a + b u + c u^2 + d u^3 on the segment parameter u in 0..1.
#pragma once

class OVCubicPolynomial
{
public:
    OVCubicPolynomial(double a, double b, double c, double d) : mA(a), mB(b), mC(c), mD(d) {}

    double evaluate(double u) const { return mA + u * (mB + u * (mC + u * mD)); }

    double a() const { return mA; }
    double b() const { return mB; }
    double c() const { return mC; }
    double d() const { return mD; }
    void setA(double a) { mA = a; }
    void setB(double b) { mB = b; }
    void setC(double c) { mC = c; }
    void setD(double d) { mD = d; }

private:
    double mA;
    double mB;
    double mC;
    double mD;
};
