// Writes small, valid starting inputs for the reader targets into FOLDER/<target>/, made by
// the same writers as the sample data and the game: a pack with pictures, sounds and raw
// items in three groups, short WAVE files, a saved profile, saved clock blocks, settings
// files, rod blocks with lure records and the network messages. Lakes and clips come from the
// sample data, saved games from the game itself (README); given the sample data's Lakes folder,
// the lake tiles' seeds are made from its tile files and the lake values' from its packs.
//   fuzz_seeds FOLDER [LAKES]
#include "ByteWriter.h"
#include "Clock.h"
#include "Files.h"
#include "ImageWriters.h"
#include "IniConfigStore.h"
#include "PackWriter.h"
#include "QrImagePixels.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "WavWriter.h"
#include "tovGameClock.h"
#include "tovNetMessages.h"
#include "tovRegistryKey.h"
#include "tovUserProfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr uint32_t kPicture = 0x80000010;
constexpr uint32_t kSound = 0x80000004;
constexpr uint32_t kBytes = 0x80000007;
constexpr uint32_t kInfoAndData = 0x80000001;

std::string g_folder;
bool g_failed = false;

void Write(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(g_folder + "/" + target);
    if (!plat::WriteFile(g_folder + "/" + target + "/" + name, bytes.data(), bytes.size()))
        g_failed = true;
}

// A small picture with a diagonal gradient, palettised or not.
QrImagePixels Picture(uint32_t format, uint32_t width, uint32_t height)
{
    QrImagePixels p;
    p.Allocate(format, width, height);
    const uint32_t bpp = p.GetBytesPerPixel();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width * bpp; ++x)
            p.GetRow(y)[x] =
                static_cast<uint8_t>((x * 16 + y * 8) & (format == QrImagePixels::kFormatPalettized ? 15 : 255));
    if (format == QrImagePixels::kFormatPalettized)
        for (uint32_t i = 0; i < 16; ++i)
            for (uint32_t c = 0; c < 3; ++c)
                p.GetPalette()[i * 4 + c] = static_cast<uint8_t>(i * 16 + c * 40);
    return p;
}

std::vector<int16_t> Tone(uint32_t frames, uint16_t channels)
{
    std::vector<int16_t> samples(size_t(frames) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000.0 * std::sin(0.3 * double(i / channels)));
    return samples;
}

tools::PackItem Item(uint32_t type, uint32_t id, uint32_t flags, std::vector<uint8_t> data)
{
    tools::PackItem item;
    item.type = type;
    item.id = id;
    item.flags = flags;
    item.data = std::move(data);
    return item;
}

tools::PackItem SoundItem(uint32_t id, uint32_t flags, uint32_t rate, uint16_t channels, uint16_t bits, uint32_t frames)
{
    tools::PackItem item = Item(kSound, id, flags, {});
    item.info = tools::PcmFormatRecord(rate, channels, bits);
    if (bits == 16)
    {
        for (int16_t s : Tone(frames, channels))
        {
            item.data.push_back(static_cast<uint8_t>(s & 0xFF));
            item.data.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    else
        for (int16_t s : Tone(frames, channels))
            item.data.push_back(static_cast<uint8_t>(128 + s / 256));
    return item;
}

// The fuzz_pack input: the index's length (four bytes, little-endian), the index, the data.
void WritePack()
{
    tools::PackContents pack;
    pack.Add(Item(kPicture, 1, 0, tools::WriteBMP(Picture(QrImagePixels::kFormatPalettized, 12, 8), {8, false, 0})),
             {1});
    pack.Add(Item(kPicture, 2, 0, tools::WriteBMP(Picture(QrImagePixels::kFormatRGB, 6, 5), {24, false, 0})), {1, 2});
    pack.Add(Item(kPicture, 3, 2, tools::WriteBMP(Picture(QrImagePixels::kFormatPalettized, 9, 4), {4, true, 0})), {2});
    pack.Add(Item(kPicture, 4, 1, tools::WriteBMP(Picture(QrImagePixels::kFormatRGBA, 4, 4), {32, false, 3})), {3});
    pack.Add(SoundItem(10, 0, 22050, 1, 16, 600), {1});
    pack.Add(SoundItem(11, 1, 11025, 2, 8, 300), {2});
    // One frame: shorter than a mixer step when it loops.
    pack.Add(SoundItem(12, 2, 48000, 1, 16, 1), {3});
    pack.Add(Item(kBytes, 20, 0, {1, 2, 3, 4, 5, 6, 7, 8}), {1});
    tools::PackItem data = Item(kInfoAndData, 21, 0, {9, 8, 7});
    data.info = {1, 0, 0, 0};
    pack.Add(std::move(data), {3});
    tools::PackBytes bytes;
    std::string error;
    if (!tools::BuildPack(pack, bytes, error))
    {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
        g_failed = true;
        return;
    }
    const auto length = static_cast<uint32_t>(bytes.index.size());
    std::vector<uint8_t> input{uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    input.insert(input.end(), bytes.index.begin(), bytes.index.end());
    input.insert(input.end(), bytes.data.begin(), bytes.data.end());
    Write("pack", "sounds-and-pictures.pack", input);
}

void WriteWaves()
{
    Write("wave", "stereo16.wav", tools::WriteWAV(Tone(400, 2), 22050, 2));
    std::vector<uint8_t> eight;
    for (int16_t s : Tone(300, 1))
        eight.push_back(static_cast<uint8_t>(128 + s / 256));
    Write("wave", "mono8.wav", tools::WriteWAV8(eight, 11025, 1));
    Write("wave", "one-frame.wav", tools::WriteWAV(Tone(1, 1), 48000, 1));
}

// The fuzz target loads the profile named "Angler".
void WriteProfile()
{
    tovUserProfile profile;
    profile.SetDefaults(false);
    profile.SetName("Angler", false);
    profile.SetTown("Duluth");
    profile.SetState("MN");
    profile.GetCareer(1)[tovUserProfile::kGamesStarted] = 3;
    profile.CreditFinish(41, 2, 1500, 1);
    plat::ByteWriter out;
    out.U32(tovUserProfile::kBodySize);
    profile.WriteBody(out);
    std::vector<uint8_t> bytes = out.Take();
    Write("profile", "Angler.wuo", bytes);
    // As the previous version wrote it: the body without the games credited.
    bytes.resize(tovUserProfile::kShortFileSize);
    plat::ByteWriter length;
    length.U32(tovUserProfile::kShortBodySize);
    std::copy_n(length.Buffer().begin(), 4, bytes.begin());
    Write("profile", "Angler-short-body.wuo", bytes);
}

void WriteClocks()
{
    plat::ManualClock time{5'000'000'000ull};
    plat::SetCurrentClock(&time);
    tovGameClock clock;
    clock.Restart(1);
    clock.SetFlags(clock.GetFlags() | tovGameClockBase::kRunning);
    plat::ByteWriter first;
    clock.Save(first);
    Write("clock", "morning.clock", first.Take());
    time.AdvanceSeconds(600.0);
    clock.Update();
    plat::ByteWriter later;
    clock.Save(later);
    Write("clock", "midday.clock", later.Take());
    plat::SetCurrentClock(nullptr);
}

// The settings as the start-up and the profile write them: a first start's, and one for
// network play that skips the intro, finds its data on a disc and names a long player.
void WriteSettings()
{
    const std::vector<std::pair<std::string, std::vector<std::pair<const char*, const char*>>>> files = {
        {"first-start.ini",
         {{"InstPath", "/opt/tov/"},
          {"Title", "TOV Tarnholm Demo"},
          {"LastUser", "Angler"},
          {"InstType", "0"},
          {"Sound", "1"},
          {"SkipIntro", "0"},
          {"Network", "0"},
          {"RunCD", "0"}}},
        {"network-disc.ini",
         {{"InstPath", "/opt/tov/"},
          {"Title", "TOV Tarnholm Demo"},
          {"LastUser", "Angler With A Long Name Abcd"},
          {"InstType", "2"},
          {"Sound", "0"},
          {"SkipIntro", "1"},
          {"Network", "1"},
          {"RunCD", "1"}}},
    };
    std::filesystem::create_directories(g_folder + "/settings");
    for (const auto& [name, values] : files)
    {
        const std::string path = g_folder + "/settings/" + name;
        std::filesystem::remove(path);
        plat::IniConfigStore store(path);
        bool created = false;
        if (!store.OpenKey(kTovRegistryKey, created))
            g_failed = true;
        for (const auto& [key, value] : values)
            if (!store.WriteValue(kTovRegistryKey, key, value))
                g_failed = true;
    }
}

// The default rods and a rod set-up of every family, each followed by a lure record in the
// sample data's form.
void WriteTackle()
{
    tovUserProfile profile;
    profile.SetDefaults(false);
    const char* const records[] = {"3,0,0.1,0.05,0,0.5,1.0,0.2", "10,0,0.1,0.3,5,0.5,1.0,0"};
    for (int32_t variant = 0; variant < 2; ++variant)
    {
        plat::ByteWriter out;
        for (int32_t r = 0; r < tovUserProfile::kRodCount; ++r)
            for (int32_t w = 0; w < tovUserProfile::kRodWords; ++w)
            {
                int32_t v = profile.GetTackle()[size_t(r)][size_t(w)];
                if (variant == 1 && w == 7)
                    v = r % 6; // the family
                if (variant == 1 && w == 2)
                    v = r % 4; // the line kind
                out.I32(v);
            }
        out.I32(variant == 0 ? 0 : 5);
        const std::string text = records[variant];
        out.Write(text.data(), text.size());
        Write("tackle", "rods-" + std::to_string(variant) + ".bin", out.Take());
    }
}

// A tile's height raster and population raster from the sample lake, behind the length.
void WriteSectors(const std::string& lakes)
{
    for (const char* tile : {"0101", "0202"})
    {
        std::vector<uint8_t> heights, population;
        if (!plat::ReadFile(lakes + "/Clearwater" + tile + ".raw", heights) ||
            !plat::ReadFile(lakes + "/ClearwaterPop" + tile + ".raw", population))
        {
            g_failed = true;
            return;
        }
        const auto length = static_cast<uint32_t>(heights.size());
        std::vector<uint8_t> input{uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
        input.insert(input.end(), heights.begin(), heights.end());
        input.insert(input.end(), population.begin(), population.end());
        Write("sector", std::string("tile") + tile + ".bin", input);
    }
}

// Each sample lake's values as the fuzz_lake_values target takes them: a "KEY=VALUE" line for
// every text item the catalogue reads from the lake's pack.
void WriteLakeValues(const std::string& lakes)
{
    std::vector<uint32_t> keys;
    for (uint32_t k = 0; k < 17; ++k)
        for (uint32_t base : {0u, 30u, 50u, 2000u, 2100u, 2200u})
            keys.push_back(base + k);
    for (uint32_t key : {78u, 79u, 81u, 82u, 83u, 84u, 85u})
        keys.push_back(key);
    RegisterBlobResourceType();
    for (const char* lake : {"Clearwater", "Sandridge", "Oxbow", "ClearwaterSpring"})
    {
        ResourcePack* pack = nullptr;
        if (ResourcePack::Open(lakes + "/" + lake, &pack) != kResourceOk || pack == nullptr)
        {
            g_failed = true;
            continue;
        }
        ResourcePack::LoadGroup(0, pack);
        std::string text;
        for (uint32_t key : keys)
            if (const char* value = static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, key, pack)))
                text += std::to_string(key) + "=" + value + "\n";
        ResourcePack::UnloadGroup(0, pack);
        ResourcePack::Close(&pack);
        Write("lake_values", std::string(lake) + ".txt", std::vector<uint8_t>(text.begin(), text.end()));
    }
}

// One message of each type as the game writes it, and for the session a run of them from each
// sender to each receiver.
void WriteNetMessages()
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> messages;
    tovNet::PingMsg ping;
    ping.header.senderSlot = 1;
    messages.emplace_back("ping", ping.Write());
    tovNet::GameParamsMsg params;
    params.header.senderSlot = 0;
    params.timeOfDay = 25200.0;
    params.params.phase = 4;
    params.params.day = 1;
    params.params.lakeId = 0;
    params.ids = {1, 2, 3, 0, 0};
    messages.emplace_back("params", params.Write());
    tovNet::PlayerHeaderMsg header;
    header.header.senderSlot = 1;
    header.phase = 5;
    header.lakeMask = 3;
    header.livewell[0] = {2, 1800, 420};
    messages.emplace_back("header", header.Write());
    // The same header of the host's next game: a copy still in this one drops it.
    header.header.game = 2;
    messages.emplace_back("header_next_game", header.Write());
    params.params.game = 2;
    messages.emplace_back("params_next_game", params.Write());
    tovNet::PlayerStateMsg state;
    state.header.senderSlot = 1;
    state.state.m_paintScheme = 0;
    state.state.m_position = {120.0f, 0.5f, 80.0f};
    state.state.m_throttle = 0.5f;
    state.state.m_changeMask = tovBoatState::kAllMask;
    state.state.m_phase = 4;
    messages.emplace_back("state", state.Write());
    tovNet::EventMsg cast;
    cast.header.senderSlot = 1;
    cast.kind = tovNet::EventMsg::kAnglerPhase;
    cast.subKind = tovNet::EventMsg::kCastTargetSubKind;
    cast.values = {10.0f, 0.0f, 20.0f};
    messages.emplace_back("event", cast.Write());
    tovNet::ChatTextMsg chat;
    chat.header.senderSlot = 1;
    chat.SetText("Nice bass!");
    messages.emplace_back("chat", chat.Write());
    tovNet::NameChangedMsg renamed;
    renamed.header.senderSlot = 1;
    messages.emplace_back("name", renamed.Write());
    std::vector<uint8_t> run;
    for (const auto& [name, bytes] : messages)
    {
        Write("net_messages", name + ".msg", bytes);
        // To the host from the client (its slot 1), and the parameters to the client from the host.
        const bool toClient = name.rfind("params", 0) == 0;
        run.push_back(toClient ? 1 : 0);
        run.push_back(static_cast<uint8_t>(bytes.size()));
        run.push_back(static_cast<uint8_t>(bytes.size() >> 8));
        run.insert(run.end(), bytes.begin(), bytes.end());
    }
    Write("net_session", "each_type.run", run);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3)
    {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER [LAKES]\n");
        return 2;
    }
    g_folder = argv[1];
    WritePack();
    WriteWaves();
    WriteProfile();
    WriteClocks();
    WriteSettings();
    WriteTackle();
    if (argc == 3)
    {
        WriteSectors(argv[2]);
        WriteLakeValues(argv[2]);
    }
    WriteNetMessages();
    if (g_failed)
        std::fprintf(stderr, "fuzz_seeds: could not write every seed under %s\n", g_folder.c_str());
    return g_failed ? 1 : 0;
}
