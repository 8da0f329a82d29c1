#include "tools/zousbdiag/descriptor_text.h"

#include <cstdio>

#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

namespace {

constexpr std::uint8_t kConfigurationType = 2;
constexpr std::uint8_t kStringType = 3;
constexpr std::uint8_t kInterfaceType = 4;
constexpr std::uint8_t kEndpointType = 5;
constexpr std::size_t kDeviceDescriptorSize = 18;
constexpr std::size_t kConfigurationSize = 9;
constexpr std::size_t kInterfaceSize = 9;
constexpr std::size_t kEndpointSize = 7;

void addField(std::string& text, const char* name, const std::string& value) {
    char line[64];
    std::snprintf(line, sizeof line, "  %-20s", name);
    text += line;
    text += value;
    text += '\n';
}

std::string decimal(unsigned value) {
    return std::to_string(value);
}

std::string configurationAttributes(std::uint8_t attributes) {
    std::string text = hexNumber(attributes, 2);
    text += (attributes & 0x40) != 0 ? " (self powered" : " (bus powered";
    text += (attributes & 0x20) != 0 ? ", remote wakeup)" : ")";
    return text;
}

const char* transferTypeName(std::uint8_t attributes) {
    static constexpr const char* kNames[] = {"control", "isochronous", "bulk", "interrupt"};
    return kNames[attributes & 0x03];
}

std::string describeInterface(std::span<const std::uint8_t> d) {
    return "  Interface " + decimal(d[2]) + ", alternate setting " + decimal(d[3]) + ": class " +
           hexNumber(d[5], 2) + ", subclass " + hexNumber(d[6], 2) + ", protocol " +
           hexNumber(d[7], 2) + ", " + decimal(d[4]) + " endpoints, string " + decimal(d[8]) + "\n";
}

std::string describeEndpoint(std::span<const std::uint8_t> d) {
    const std::uint16_t maxPacket = readLe16(d, 4);
    char line[128];
    std::snprintf(line, sizeof line, "    Endpoint 0x%02X %-3s %-11s max packet %u", d[2],
                  (d[2] & 0x80) != 0 ? "IN" : "OUT", transferTypeName(d[3]),
                  static_cast<unsigned>(maxPacket & 0x7FF));
    std::string text = line;
    if (const unsigned extra = (maxPacket >> 11) & 0x3; extra != 0) {
        text += " x " + decimal(extra + 1) + " per microframe";
    }
    return text + ", interval " + decimal(d[6]) + "\n";
}

}  // namespace

std::string describeDeviceDescriptor(std::span<const std::uint8_t> d) {
    if (d.size() < kDeviceDescriptorSize) {
        return "  truncated: " + decimal(static_cast<unsigned>(d.size())) + " of 18 bytes\n";
    }
    std::string text;
    addField(text, "bLength", decimal(d[0]));
    addField(text, "bDescriptorType", decimal(d[1]));
    addField(text, "bcdUSB", hexNumber(readLe16(d, 2), 4));
    addField(text, "bDeviceClass", hexNumber(d[4], 2));
    addField(text, "bDeviceSubClass", hexNumber(d[5], 2));
    addField(text, "bDeviceProtocol", hexNumber(d[6], 2));
    addField(text, "bMaxPacketSize0", decimal(d[7]));
    addField(text, "idVendor", hexNumber(readLe16(d, 8), 4));
    addField(text, "idProduct", hexNumber(readLe16(d, 10), 4));
    addField(text, "bcdDevice", hexNumber(readLe16(d, 12), 4));
    addField(text, "iManufacturer", decimal(d[14]));
    addField(text, "iProduct", decimal(d[15]));
    addField(text, "iSerialNumber", decimal(d[16]));
    addField(text, "bNumConfigurations", decimal(d[17]));
    return text;
}

std::string describeConfiguration(std::span<const std::uint8_t> c) {
    if (c.size() < kConfigurationSize || c[0] < kConfigurationSize || c[1] != kConfigurationType) {
        return "  not a configuration descriptor\n";
    }
    const std::uint16_t totalLength = readLe16(c, 2);
    std::string text;
    addField(text, "wTotalLength", decimal(totalLength));
    addField(text, "bNumInterfaces", decimal(c[4]));
    addField(text, "bConfigurationValue", decimal(c[5]));
    addField(text, "iConfiguration", decimal(c[6]));
    addField(text, "bmAttributes", configurationAttributes(c[7]));
    addField(text, "bMaxPower", decimal(c[8]) + " (" + decimal(c[8] * 2u) + " mA)");
    if (totalLength > c.size()) {
        text += "  only " + decimal(static_cast<unsigned>(c.size())) + " of the " +
                decimal(totalLength) + " bytes were read\n";
    }
    const std::span<const std::uint8_t> all = c.first(std::min<std::size_t>(totalLength, c.size()));
    for (std::size_t offset = c[0]; offset < all.size();) {
        const std::size_t length = all[offset];
        if (length < 2 || length > all.size() - offset) {
            text += "  malformed descriptor at offset " + decimal(static_cast<unsigned>(offset)) +
                    " (bLength " + decimal(static_cast<unsigned>(length)) + ")\n";
            break;
        }
        const std::span<const std::uint8_t> d = all.subspan(offset, length);
        const std::uint8_t type = d[1];
        if (type == kInterfaceType && length >= kInterfaceSize) {
            text += describeInterface(d);
        } else if (type == kEndpointType && length >= kEndpointSize) {
            text += describeEndpoint(d);
        } else {
            text += "  descriptor type " + hexNumber(type, 2) + ", " +
                    decimal(static_cast<unsigned>(length)) + " bytes\n";
        }
        offset += length;
    }
    return text;
}

std::optional<std::string> stringDescriptorText(std::span<const std::uint8_t> d) {
    if (d.size() < 2 || d[1] != kStringType || d[0] < 2 || d[0] % 2 != 0 || d[0] > d.size()) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t offset = 2; offset < d[0]; offset += 2) {
        const std::uint16_t unit = readLe16(d, offset);
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
            text += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
            text += escaped;
        }
    }
    return text;
}

}  // namespace zousbdiag
