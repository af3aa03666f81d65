#include "proof/colour.h"

#include <cmath>
#include <numbers>

namespace vomar::proof {

namespace {

constexpr double kEpsilon = 216.0 / 24389.0;  // (6/29)^3
constexpr double kKappa = 24389.0 / 27.0;

double LabF(double t) { return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0; }

double LabInverseF(double f) {
  const double cube = f * f * f;
  return cube > kEpsilon ? cube : (116.0 * f - 16.0) / kKappa;
}

double Degrees(double radians) { return radians * 180.0 / std::numbers::pi; }
double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// Hue angle in degrees from 0 to 360; 0 for a neutral colour.
double HueAngle(double b, double a) {
  if (a == 0 && b == 0) return 0;
  const double h = Degrees(std::atan2(b, a));
  return h < 0 ? h + 360.0 : h;
}

}  // namespace

Xyz LabToXyz(const Lab& lab, const Xyz& white) {
  const double fy = (lab.L + 16.0) / 116.0;
  const double fx = fy + lab.a / 500.0;
  const double fz = fy - lab.b / 200.0;
  return {white.X * LabInverseF(fx), white.Y * LabInverseF(fy), white.Z * LabInverseF(fz)};
}

Lab XyzToLab(const Xyz& xyz, const Xyz& white) {
  const double fx = LabF(xyz.X / white.X);
  const double fy = LabF(xyz.Y / white.Y);
  const double fz = LabF(xyz.Z / white.Z);
  return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

Xyz ScaleWhite(const Xyz& xyz, const Xyz& from, const Xyz& to) {
  return {xyz.X * to.X / from.X, xyz.Y * to.Y / from.Y, xyz.Z * to.Z / from.Z};
}

double DeltaEab(const Lab& reference, const Lab& sample) {
  return std::hypot(sample.L - reference.L, sample.a - reference.a, sample.b - reference.b);
}

double DeltaCh(const Lab& reference, const Lab& sample) {
  return std::hypot(sample.a - reference.a, sample.b - reference.b);
}

double DeltaE2000(const Lab& reference, const Lab& sample) {
  const double c1 = std::hypot(reference.a, reference.b);
  const double c2 = std::hypot(sample.a, sample.b);
  const double meanC = (c1 + c2) / 2.0;
  const double meanC7 = std::pow(meanC, 7.0);
  const double g = 0.5 * (1.0 - std::sqrt(meanC7 / (meanC7 + std::pow(25.0, 7.0))));
  const double a1 = (1.0 + g) * reference.a;
  const double a2 = (1.0 + g) * sample.a;
  const double cp1 = std::hypot(a1, reference.b);
  const double cp2 = std::hypot(a2, sample.b);
  const double hp1 = HueAngle(reference.b, a1);
  const double hp2 = HueAngle(sample.b, a2);

  const double dL = sample.L - reference.L;
  const double dC = cp2 - cp1;
  double dh = 0;
  if (cp1 * cp2 != 0) {
    dh = hp2 - hp1;
    if (dh > 180.0) dh -= 360.0;
    if (dh < -180.0) dh += 360.0;
  }
  const double dH = 2.0 * std::sqrt(cp1 * cp2) * std::sin(Radians(dh / 2.0));

  const double meanL = (reference.L + sample.L) / 2.0;
  const double meanCp = (cp1 + cp2) / 2.0;
  double meanH = hp1 + hp2;
  if (cp1 * cp2 != 0) {
    if (std::fabs(hp1 - hp2) <= 180.0) {
      meanH /= 2.0;
    } else {
      meanH = hp1 + hp2 < 360.0 ? (meanH + 360.0) / 2.0 : (meanH - 360.0) / 2.0;
    }
  }
  const double t = 1.0 - 0.17 * std::cos(Radians(meanH - 30.0)) +
                   0.24 * std::cos(Radians(2.0 * meanH)) +
                   0.32 * std::cos(Radians(3.0 * meanH + 6.0)) -
                   0.20 * std::cos(Radians(4.0 * meanH - 63.0));
  const double dTheta = 30.0 * std::exp(-std::pow((meanH - 275.0) / 25.0, 2.0));
  const double meanCp7 = std::pow(meanCp, 7.0);
  const double rc = 2.0 * std::sqrt(meanCp7 / (meanCp7 + std::pow(25.0, 7.0)));
  const double l50 = (meanL - 50.0) * (meanL - 50.0);
  const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
  const double sc = 1.0 + 0.045 * meanCp;
  const double sh = 1.0 + 0.015 * meanCp * t;
  const double rt = -std::sin(Radians(2.0 * dTheta)) * rc;
  const double termL = dL / sl;
  const double termC = dC / sc;
  const double termH = dH / sh;
  return std::sqrt(termL * termL + termC * termC + termH * termH + rt * termC * termH);
}

}  // namespace vomar::proof
