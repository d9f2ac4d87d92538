// sin, cos and tan with an argument reduction of their own, so that they give
// the same values on every platform, large arguments included.
#ifndef KANSU_TRIGREDUCE_H
#define KANSU_TRIGREDUCE_H

// An angle x written as quadrant * pi/2 + high + low (modulo 2pi), where
// quadrant is 0..3 and high + low, |high + low| <= about pi/4, is the
// remainder as a double-double.
struct ReducedAngle {
    int quadrant;
    double high;
    double low;
};

// The reduction of x; for |x| <= pi/4 and for infinities and NaN it is x itself
// in quadrant 0, and sin, cos and tan pass such x to the platform unchanged.
ReducedAngle Reduce_Angle(double x);

double Reduced_Sin(double x);
double Reduced_Cos(double x);
double Reduced_Tan(double x);
// Reduced_Sin(x) and Reduced_Cos(x), the same bits, with one reduction.
void Reduced_SinCos(double x, double* sin_value, double* cos_value);

#endif
