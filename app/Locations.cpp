#include "app/Locations.h"

#include "app/ConfigFile.h"
#include "app/paths/PathHelpers.h"

Locations Locations::At(const std::wstring& programFolder, const std::wstring& ownFileName) {
    Locations locations;
    locations.programFolder = programFolder;
    locations.ownFileName = ownFileName;
    return locations;
}

Locations Locations::ForRunningProgram() {
    Locations locations = At(GetProgramFolder(), GetOwnFileName());
    locations.lanConfigPath = ReadLanConfigPath(locations);
    return locations;
}
