#include "protocol/tidchips.h"

#include <algorithm>
#include <iterator>

namespace protocol::tid
{

namespace
{

struct Maker {
    uint16_t id;
    const char *name;
};

// The GS1 list of mask-designer IDs, in the order of their IDs.
constexpr Maker kMakers[] = {
    {0x001, "Impinj"},
    {0x002, "Texas Instruments"},
    {0x003, "Alien Technology"},
    {0x004, "Intelleflex"},
    {0x005, "Atmel"},
    {0x006, "NXP"},
    {0x007, "STMicroelectronics"},
    {0x008, "EP Microelectronics"},
    {0x009, "Motorola"},
    {0x00A, "Sentech"},
    {0x00B, "EM Microelectronic"},
    {0x00C, "Renesas"},
    {0x00D, "Mstar"},
    {0x00E, "Tyco International"},
    {0x00F, "Quanray Electronics"},
    {0x010, "Fujitsu"},
    {0x011, "LSIS"},
    {0x012, "CAEN RFID"},
    {0x013, "Productivity Engineering"},
    {0x014, "Federal Electric"},
    {0x015, "ON Semiconductor"},
    {0x016, "Ramtron"},
    {0x017, "Tego"},
    {0x018, "Ceitec"},
    {0x019, "CPA Wernher von Braun"},
    {0x01A, "TransCore"},
    {0x01B, "Nationz"},
    {0x01C, "Invengo"},
    {0x01D, "Kiloway"},
    {0x01E, "Longjing Microelectronics"},
    {0x01F, "Chipus Microelectronics"},
    {0x020, "ORIDAO"},
    {0x021, "Maintag"},
    {0x022, "Yangzhou Daoyuan Microelectronics"},
    {0x023, "Gate Elektronik"},
    {0x024, "RFMicron"},
    {0x025, "RST-Invent"},
    {0x026, "Crystone Technology"},
    {0x027, "Shanghai Fudan Microelectronics"},
    {0x028, "Farsens"},
    {0x029, "Giesecke+Devrient"},
    {0x02A, "AWID"},
    {0x02B, "Unitec Semicondutores"},
    {0x02C, "Q-Free"},
    {0x02D, "Valid"},
    {0x02E, "Fraunhofer IPMS"},
    {0x02F, "ams"},
    {0x030, "Angstrem"},
    {0x031, "Honeywell"},
    {0x032, "Huada Semiconductor"},
    {0x033, "Lapis Semiconductor"},
    {0x034, "PJSC Mikron"},
    {0x035, "Hangzhou Landa Microelectronics"},
    {0x036, "Nanjing NARI Micro-Electronic"},
    {0x037, "Southwest Integrated Circuit Design"},
    {0x038, "Silictec"},
    {0x039, "Nation RFID"},
    {0x03A, "Asygn"},
    {0x03B, "Suzhou HCTech"},
    {0x03C, "AXEM Technology"},
};

struct Model {
    uint16_t maskDesigner;
    uint16_t number;
    const char *name;
};

// The makers' published model numbers of the chips in common use, in the order of maker and
// number. Some models answer with more than one number (a variant bit inside it).
constexpr Model kModels[] = {
    {0x001, 0x100, "Monza 4D"},   {0x001, 0x104, "Monza 4U"},     {0x001, 0x105, "Monza 4QT"},
    {0x001, 0x10C, "Monza 4E"},   {0x001, 0x114, "Monza 4i"},     {0x001, 0x130, "Monza 5"},
    {0x001, 0x160, "Monza R6"},   {0x001, 0x170, "Monza R6-P"},   {0x001, 0x190, "M750"},
    {0x001, 0x191, "M730"},       {0x001, 0x1A0, "M770"},         {0x003, 0x412, "Higgs-3"},
    {0x003, 0x414, "Higgs-4"},    {0x003, 0x821, "Higgs-9"},      {0x006, 0x003, "UCODE G2XM"},
    {0x006, 0x004, "UCODE G2XL"}, {0x006, 0x806, "UCODE G2iL"},   {0x006, 0x807, "UCODE G2iL+"},
    {0x006, 0x80A, "UCODE G2iM"}, {0x006, 0x810, "UCODE 7"},      {0x006, 0x890, "UCODE 7"},
    {0x006, 0x891, "UCODE 7m"},   {0x006, 0x894, "UCODE 8"},      {0x006, 0x994, "UCODE 8m"},
    {0x006, 0x995, "UCODE 9"},    {0x006, 0xD12, "UCODE 7xm-1k"}, {0x006, 0xF12, "UCODE 7xm-2k"},
    {0x00B, 0x044, "EM4325"},
};

// IC maker codes an E0-class TID carries in its second byte (the ISO/IEC 7816-6 register).
constexpr Maker kIsoMakers[] = {
    {0x02, "STMicroelectronics"},
    {0x04, "NXP"},
    {0x07, "Texas Instruments"},
    {0x16, "EM Microelectronic"},
};

template <typename Table> const char *findMaker(const Table &table, uint16_t id)
{
    const auto it = std::lower_bound(std::begin(table), std::end(table), id,
                                     [](const Maker &m, uint16_t wanted) { return m.id < wanted; });
    return it != std::end(table) && it->id == id ? it->name : nullptr;
}

// "0x1AB": an ID as the makers' lists write it.
QString hexNumber(unsigned value, int digits)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

} // namespace

std::optional<Gen2Header> gen2Header(const QByteArray &tid)
{
    if (tid.size() < kHeaderBytes || uint8_t(tid[0]) != kClassGen2)
        return std::nullopt;
    const uint32_t bits = (uint32_t(uint8_t(tid[1])) << 16) | (uint32_t(uint8_t(tid[2])) << 8) | uint8_t(tid[3]);
    Gen2Header h;
    h.extended = bits & 0x800000;
    h.security = bits & 0x400000;
    h.file = bits & 0x200000;
    h.maskDesigner = uint16_t((bits >> 12) & 0x1FF);
    h.modelNumber = uint16_t(bits & 0xFFF);
    return h;
}

QString makerName(uint16_t maskDesigner)
{
    const char *name = findMaker(kMakers, maskDesigner);
    return name ? QString::fromLatin1(name) : QString();
}

QString modelName(uint16_t maskDesigner, uint16_t modelNumber)
{
    const auto key = [](uint16_t designer, uint16_t number) { return (uint32_t(designer) << 12) | number; };
    const uint32_t wanted = key(maskDesigner, modelNumber);
    const auto it = std::lower_bound(std::begin(kModels), std::end(kModels), wanted,
                                     [&](const Model &m, uint32_t k) { return key(m.maskDesigner, m.number) < k; });
    return it != std::end(kModels) && key(it->maskDesigner, it->number) == wanted ? QString::fromLatin1(it->name)
                                                                                  : QString();
}

Chip identify(const QByteArray &tid)
{
    Chip chip;
    if (tid.isEmpty()) {
        chip.text = QStringLiteral("no TID");
        return chip;
    }
    const uint8_t tidClass = uint8_t(tid[0]);
    if (tidClass == kClassIso) {
        if (tid.size() < 2) {
            chip.text = QStringLiteral("TID too short (1 byte)");
            return chip;
        }
        const uint8_t code = uint8_t(tid[1]);
        const char *maker = findMaker(kIsoMakers, code);
        chip.maker = maker ? QString::fromLatin1(maker) : QString();
        chip.text = QStringLiteral("E0 class (ISO 15693-style), %1")
                        .arg(maker ? chip.maker : QStringLiteral("maker code ") + hexNumber(code, 2));
        return chip;
    }
    if (tidClass != kClassGen2) {
        chip.text = QStringLiteral("unknown TID class ") + hexNumber(tidClass, 2);
        return chip;
    }
    const auto header = gen2Header(tid);
    if (!header) {
        chip.text = QStringLiteral("TID too short (%1 byte%2)").arg(tid.size()).arg(tid.size() == 1 ? "" : "s");
        return chip;
    }
    chip.maker = makerName(header->maskDesigner);
    chip.model = modelName(header->maskDesigner, header->modelNumber);
    if (chip.maker.isEmpty())
        chip.text = QStringLiteral("unknown (mask designer %1, model %2)")
                        .arg(hexNumber(header->maskDesigner, 3), hexNumber(header->modelNumber, 3));
    else if (chip.model.isEmpty())
        chip.text = QStringLiteral("%1, unknown model %2").arg(chip.maker, hexNumber(header->modelNumber, 3));
    else
        chip.text = chip.maker + QLatin1Char(' ') + chip.model;
    return chip;
}

} // namespace protocol::tid
