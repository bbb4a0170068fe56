// Programs that carry a chosen file version: copies of the do-nothing stub program (or any
// existing program) whose version resource is written with the platform's resource updater.
#pragma once
#include <string>

struct PeFixtureOptions {
    bool translation = true;      // "\VarFileInfo\Translation" present
    bool fixedBlock = true;       // the fixed file information present (else its length is 0)
    bool versionResource = true;  // false: no version resource at all
};

// Copies pe_fixture_stub.exe from the test program's folder to destination (creating its
// folder) and stamps it with file version a.b.c.d.
bool MakeVersionedPe(const std::wstring& destination, unsigned a, unsigned b, unsigned c, unsigned d,
                     PeFixtureOptions options = {});

// Replaces the version resource of an existing program in place, keeping its other resources.
// With options.versionResource false the program is left without one.
bool StampVersion(const std::wstring& exe, unsigned a, unsigned b, unsigned c, unsigned d,
                  PeFixtureOptions options = {});

// The binary version resource that StampVersion writes.
std::string BuildVersionResource(unsigned a, unsigned b, unsigned c, unsigned d, PeFixtureOptions options = {});
