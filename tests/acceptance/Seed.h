// What a scenario puts on the machine: targets a run must remove, neighbours
// it must leave alone. A Seed takes everything it made away again when it
// goes, whatever the run did, so scenarios can share one prefix.
#pragma once

#include <string>
#include <vector>

#include "Machine.h"

namespace acceptance {

// Paths composed the way Scourwell composes them.
struct Bases {
    std::string drive = SystemDrive();
    std::string windows = WindowsDirectory();
    std::string profile = drive + "\\Documents and Settings\\" + UpperCaseUserName();
    std::string winTools = drive + "\\Program Files\\Common Files\\WinTools";
};

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRegisteredMarks = "Software\\ScourwellTest\\Registered";
inline constexpr const char* kUnregisteredMarks = "Software\\ScourwellTest\\Unregistered";
// Where the planted program records each start.
inline constexpr const char* kPlantedStarts = "Software\\ScourwellTest\\Planted";

struct RegistryKey {
    HKEY root;
    std::string path;
    View view = 0;
};

class Seed {
public:
    explicit Seed(std::string testLibrary);
    ~Seed();
    Seed(const Seed&) = delete;
    Seed& operator=(const Seed&) = delete;

    // A folder the seed makes (if missing) and removes at the end with all
    // that is in it. Call before putting files into it.
    void OwnFolder(const std::string& path);

    void TargetFile(const std::string& path, DWORD attributes);
    // A copy of the test COM library, registered with regsvr32 at once.
    void TargetLibrary(const std::string& path, DWORD attributes);
    void TargetFolder(const std::string& path);
    // The key with a subtree three levels deep and values at every level.
    void TargetKey(const RegistryKey& key);
    void TargetService(const std::string& name);

    // Neighbours carry their own path as content, so a survivor that was
    // rewritten or swapped shows up too.
    void NeighbourFile(const std::string& path);
    void NeighbourValue(const RegistryKey& key, const std::string& name);
    void NeighbourService(const std::string& name);

    // A file the scenario or the run makes that is neither target nor
    // neighbour; removed at the end.
    void Leftover(const std::string& path);

    void ExpectTargetsGone() const;
    void ExpectNeighboursIntact() const;
    // Libraries whose DllUnregisterServer did not run.
    std::vector<std::string> LibrariesNotUnregistered() const;

private:
    void Service(const std::string& name);

    std::string testLibrary_;
    std::vector<std::string> ownedFolders_;
    std::vector<std::string> targetFiles_, targetFolders_, libraries_;
    std::vector<RegistryKey> targetKeys_;
    std::vector<std::string> targetServices_;
    std::vector<std::string> neighbourFiles_;
    std::vector<std::pair<RegistryKey, std::string>> neighbourValues_;
    std::vector<std::string> neighbourServices_;
    std::vector<std::string> leftovers_;
    std::vector<RegistryKey> ownedKeys_;
};

}  // namespace acceptance
