// The entry point of the CUPS spooler module (see spooler_loader.h).
#include "cups_client/cups_spooler.h"

extern "C" __attribute__((visibility("default"))) vomar::Spooler* vomar_cups_spooler_create_v5() {
  return new vomar::CupsSpooler();
}
