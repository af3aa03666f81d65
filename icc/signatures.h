// ICC signatures: four ASCII characters compared as a 32-bit number whose most
// significant byte is the first character.
#pragma once

#include <cstdint>
#include <string>

namespace vomar {

using Signature = std::uint32_t;

constexpr Signature MakeSignature(const char (&text)[5]) {
  return (static_cast<Signature>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<Signature>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<Signature>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<Signature>(static_cast<unsigned char>(text[3]));
}

// The four characters of a signature, for display.
std::string SignatureText(Signature signature);

namespace sig {
inline constexpr Signature kPrtr = MakeSignature("prtr");
inline constexpr Signature kMntr = MakeSignature("mntr");
inline constexpr Signature kCmyk = MakeSignature("CMYK");
inline constexpr Signature kLab = MakeSignature("Lab ");
inline constexpr Signature kXyz = MakeSignature("XYZ ");
inline constexpr Signature kDesc = MakeSignature("desc");
inline constexpr Signature kCprt = MakeSignature("cprt");
inline constexpr Signature kWtpt = MakeSignature("wtpt");
inline constexpr Signature kBkpt = MakeSignature("bkpt");
inline constexpr Signature kKtrc = MakeSignature("kTRC");
inline constexpr Signature kGamt = MakeSignature("gamt");
inline constexpr Signature kDmdd = MakeSignature("dmdd");
inline constexpr Signature kA2B0 = MakeSignature("A2B0");
inline constexpr Signature kA2B1 = MakeSignature("A2B1");
inline constexpr Signature kA2B2 = MakeSignature("A2B2");
inline constexpr Signature kB2A0 = MakeSignature("B2A0");
inline constexpr Signature kB2A1 = MakeSignature("B2A1");
inline constexpr Signature kB2A2 = MakeSignature("B2A2");
// Floating-point tables ('mpet') of version-4 profiles, used in preference where present.
inline constexpr Signature kD2B0 = MakeSignature("D2B0");
inline constexpr Signature kB2D0 = MakeSignature("B2D0");
inline constexpr Signature kB2D1 = MakeSignature("B2D1");
inline constexpr Signature kB2D2 = MakeSignature("B2D2");
inline constexpr Signature kMft1 = MakeSignature("mft1");
inline constexpr Signature kMft2 = MakeSignature("mft2");
// The device manufacturer of the printers the downloads are made for.
inline constexpr Signature kTavn = MakeSignature("TAVN");
}  // namespace sig

}  // namespace vomar
