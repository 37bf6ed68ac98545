#include "link/parameters.h"

#include "link/frames.h"

namespace Parameters {

using G = GeneralSettings;

// clang-format off
constexpr Row rows[Count] = {
    // parameter                 code   sub        read answer write status format             field key                fresh              text                 index              word          list
    {Parameter::DtmfDelay,       {0x36, NoSubCode, 2,   3,     3,    2},    Format::Number,    5,    "dtmfDelay",       "7",               &G::dtmfDelay,       nullptr,           nullptr,      0},
    {Parameter::MinVolume,       {0x3A, NoSubCode, 2,   3,     3,    2},    Format::Number,    6,    "minVolume",       "2",               &G::minVolume,       nullptr,           nullptr,      0},
    {Parameter::SerialNumber,    {0x37, NoSubCode, 2,   18,    18,   2},    Format::FixedText, 7,    "serialNumber",    "Serial Number",   &G::serialNumber,    nullptr,           nullptr,      0},
    {Parameter::UserDescription, {0x3C, NoSubCode, 2,   18,    18,   2},    Format::FixedText, 8,    "userDescription", "Startup Message", &G::userDescription, nullptr,           nullptr,      0},
    {Parameter::Ip,              {0x4E, 0,         3,   0,     0,    3},    Format::Address,   2,    "ip",              "10.10.9.13",      &G::ip,              nullptr,           nullptr,      0},
    {Parameter::SubnetMask,      {0x4E, 1,         3,   0,     0,    3},    Format::Address,   3,    "subnetMask",      "255.255.255.0",   &G::subnetMask,      nullptr,           nullptr,      0},
    {Parameter::Gateway,         {0x4E, 2,         3,   0,     0,    3},    Format::Address,   4,    "gateway",         "10.10.9.254",     &G::gateway,         nullptr,           nullptr,      0},
    {Parameter::Features,        {0x50, NoSubCode, 2,   4,     4,    2},    Format::Word,      11,   "features",        nullptr,           nullptr,             nullptr,           &G::features, 0},
    {Parameter::InternalRadio,   {0x39, NoSubCode, 2,   3,     3,    2},    Format::ListIndex, 9,    "internalRadio",   nullptr,           nullptr,             &G::internalRadio, nullptr,      InternalRadioCount},
    {Parameter::Railroad,        {0x3E, NoSubCode, 2,   3,     3,    2},    Format::ListIndex, 10,   "railroad",        nullptr,           nullptr,             &G::railroad,      nullptr,      RailroadCount},
};
// clang-format on

// Behind the record number: the read request, the status byte and the body.
const Wire homeChannels = {Frames::HomeChannelCode, NoSubCode, 4, Frames::RecordLength,
                           Frames::RecordLength,    4};

namespace {

// A parameter's value is its row's place, which is its command index.
constexpr bool inCommandOrder()
{
    for (int i = 0; i < Count; ++i) {
        if (int(rows[i].parameter) != i)
            return false;
    }
    return true;
}
static_assert(inCommandOrder(), "rows out of command index order");

// Fields 0 and 1 are the data file's header.
constexpr bool fieldsApart()
{
    for (int i = 0; i < Count; ++i) {
        for (int j = 0; j < i; ++j) {
            if (rows[i].field < 2 || rows[i].field == rows[j].field)
                return false;
        }
    }
    return true;
}
static_assert(fieldsApart(), "two parameters in one data file field");

} // namespace

const Row *atCommand(int commandIndex)
{
    return commandIndex >= 0 && commandIndex < Count ? &rows[commandIndex] : nullptr;
}

const Row *atField(int field)
{
    for (const Row &row : rows) {
        if (row.field == field)
            return &row;
    }
    return nullptr;
}

const Row *find(int code, int subCode)
{
    for (const Row &row : rows) {
        if (quint8(row.wire.code) == quint8(code) &&
            (row.wire.subCode == NoSubCode || row.wire.subCode == subCode))
            return &row;
    }
    return nullptr;
}

const Wire *wireOf(int code)
{
    if (quint8(code) == quint8(homeChannels.code))
        return &homeChannels;
    for (const Row &row : rows) {
        if (quint8(row.wire.code) == quint8(code))
            return &row.wire;
    }
    return nullptr;
}

int statusOffset(int code)
{
    const Wire *wire = wireOf(code);
    return wire ? wire->statusOffset : 2;
}

bool equal(const GeneralSettings &first, const GeneralSettings &second)
{
    for (const Row &row : rows) {
        const bool same = row.text    ? first.*row.text == second.*row.text
                          : row.index ? first.*row.index == second.*row.index
                                      : first.*row.word == second.*row.word;
        if (!same)
            return false;
    }
    return true;
}

} // namespace Parameters
