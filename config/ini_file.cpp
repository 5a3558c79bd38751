// Placeholder so the launcher links; replaced by the real module.
#include "config/ini_file.h"
const std::string* IniFile::Section::Find(const std::string&) const { return nullptr; }
void IniFile::Section::Set(const std::string&, const std::string&) {}
bool IniFile::Load(const std::string&) { return false; }
void IniFile::Save(const std::string&) const {}
std::string IniFile::GetString(const std::string&, const std::string&, const std::string& d) const { return d; }
bool IniFile::GetBool(const std::string&, const std::string&, bool d) const { return d; }
bool IniFile::HasSection(const std::string&) const { return false; }
const IniFile::Section& IniFile::GetSection(const std::string&) const { static Section s; return s; }
void IniFile::SetValue(const std::string&, const std::string&, const std::string&) {}
std::vector<std::string> IniFile::SectionNames() const { return {}; }
