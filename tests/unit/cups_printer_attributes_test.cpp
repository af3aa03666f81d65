// Reading the printer groups of a CUPS-Get-Printers answer.
#include <gtest/gtest.h>

#include "cups_client/cups_spooler_connection.h"

namespace vomar::cups {
namespace {

void AddText(ipp_t* ipp, ipp_tag_t type, const char* name, const char* value) {
  ippAddString(ipp, IPP_TAG_PRINTER, type, name, nullptr, value);
}

TEST(CupsPrinterAttributesTest, OneRecordPerPrinterGroupInOrder) {
  ipp_t* response = ippNew();
  ippAddString(response, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
               "utf-8");
  AddText(response, IPP_TAG_NAME, "printer-name", "Office_C1");
  AddText(response, IPP_TAG_URI, "device-uri", "socket://10.0.0.5:9100");
  AddText(response, IPP_TAG_TEXT, "printer-make-and-model", "Vomar PS Color A3");
  ippAddSeparator(response);
  // Attributes in another order, one missing, one the spooler does not use.
  AddText(response, IPP_TAG_TEXT, "printer-make-and-model", "Other Laser PS");
  ippAddInteger(response, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", 3);
  AddText(response, IPP_TAG_NAME, "printer-name", "Vomar_カラー");
  ippAddSeparator(response);
  // A group without a name is no printer.
  AddText(response, IPP_TAG_URI, "device-uri", "file:///dev/null");
  ippAddSeparator(response);
  AddText(response, IPP_TAG_NAME, "printer-name", "Last");

  const std::vector<PrinterInfo> printers = ReadPrinters(response);
  ippDelete(response);

  ASSERT_EQ(printers.size(), 3u);
  EXPECT_EQ(printers[0].name, "Office_C1");
  EXPECT_EQ(printers[0].port, "socket://10.0.0.5:9100");
  EXPECT_EQ(printers[0].driver, "Vomar PS Color A3");
  EXPECT_EQ(printers[1].name, "Vomar_カラー");
  EXPECT_EQ(printers[1].port, "");
  EXPECT_EQ(printers[1].driver, "Other Laser PS");
  EXPECT_EQ(printers[2].name, "Last");
  EXPECT_EQ(printers[2].port, "");
  EXPECT_EQ(printers[2].driver, "");
}

TEST(CupsPrinterAttributesTest, AnswerWithoutPrintersGivesNone) {
  ipp_t* response = ippNew();
  ippAddString(response, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
               "utf-8");
  EXPECT_TRUE(ReadPrinters(response).empty());
  ippDelete(response);
}

TEST(CupsPrinterAttributesTest, QueueNamesAreEncodedInThePrinterUri) {
  EXPECT_EQ(PrinterUri("Office_C1"), "ipp://localhost/printers/Office_C1");
  EXPECT_EQ(PrinterUri("Vomar_カラー"),
            "ipp://localhost/printers/Vomar_%E3%82%AB%E3%83%A9%E3%83%BC");
}

}  // namespace
}  // namespace vomar::cups
