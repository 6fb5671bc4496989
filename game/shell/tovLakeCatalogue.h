#pragma once
// The lakes the installation offers and the values of the selected one. Every lake is a small
// resource pack ("*.waf" in the "Lakes" folder) whose group 0 holds text items keyed by number;
// key 72 is the lake's id (0 to 31). The catalogue scans on first use; selecting a lake copies
// its values for the fish, the weather, the weigh-in, the travel map and the fishing mode.
// Main thread only.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class ResourcePack;
class tovGameSession;

struct tovLakeValues
{
    static constexpr int32_t kSpeciesCount = 17;

    std::string descriptionPath;
    // Per species: keys 30 + k, 50 + k and k, in that order.
    std::array<std::array<float, 3>, kSpeciesCount> speciesTriples{};
    // Keys 2000 + k, 2100 + k, 2200 + k.
    std::array<std::array<float, kSpeciesCount>, 3> speciesTables{};
    std::string text;                 // key 85
    std::array<int32_t, 5> intList{}; // key 81
    std::array<int32_t, 2> pair1{60, 90};
    std::array<int32_t, 2> pair2{60, 77};
    int32_t valueA = 30;  // key 82, travel speed
    int32_t valueB = 100; // key 78
    int32_t valueC = 100; // key 79
};

class tovLakeCatalogue
{
public:
    struct Entry
    {
        std::string path; // folder and base name of the pack, without extension
        int32_t id = -1;
    };

    tovLakeCatalogue() = default;
    ~tovLakeCatalogue();
    tovLakeCatalogue(const tovLakeCatalogue&) = delete;
    tovLakeCatalogue& operator=(const tovLakeCatalogue&) = delete;

    // Lists every "*.waf" of the Lakes folder, once, while the catalogue is empty.
    void ScanLakeFiles();
    void AddLakeFile(const std::string& fileName, const std::string& folder);
    bool OpenLakeFile(int32_t index);
    void CloseLakeFile();
    ResourcePack* GetOpenPack() const { return m_pack; }

    uint32_t GetLakeMask();
    // With mask 0 the number of entries; otherwise the ids 0 to 30 set in both masks.
    int32_t CountLakes(uint32_t mask);
    int32_t FindLakeIndex(int32_t id);
    int32_t GetLakeIdAt(int32_t index);
    int32_t GetCurrentLakeId() const { return m_currentId; }
    int32_t QueryCurrentLakeId() const { return GetCurrentLakeId(); }
    int32_t GetCurrentLakeIndex();
    const std::string& GetLakeFilePath() const { return m_currentPath; }
    const std::string& GetLakeDescriptionPath() const { return m_values.descriptionPath; }
    // The description path of an installed lake without selecting it; empty when the lake is
    // not installed, its pack cannot be read or it names no description.
    std::string FindDescriptionPath(int32_t id);
    // The largest prize (key 81) any installed lake pays; 0 when none pays one.
    int32_t FindLargestPrize();
    void GetLakeIntList(int32_t out[5]) const;
    const tovLakeValues& GetValues() const { return m_values; }

    void SelectLake(tovGameSession* session, int32_t id);
    void SelectLakeByIndex(tovGameSession* session, int32_t index);
    // False, selecting nothing, when no installed lake is among the candidates.
    bool SelectRandomLake(tovGameSession* session, uint32_t mask);

    // Forgets every entry (the last session is gone); the values stay.
    void Clear();
    const std::vector<Entry>& GetEntries() const { return m_entries; }

private:
    void ScanIfEmpty();
    void ReadValues();

    std::vector<Entry> m_entries;
    uint32_t m_mask = 0;
    ResourcePack* m_pack = nullptr;
    int32_t m_currentId = -1;
    std::string m_currentPath;
    tovLakeValues m_values;
};

tovLakeCatalogue& TheLakeCatalogue();
