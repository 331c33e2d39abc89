#pragma once

// The frame every part of a skin description is built on. A class lists its
// own keys once, in one table (key, member, default; the member's type picks
// the encoding), and that table drives construction defaults, loading and
// saving. A class's section holds its ancestors' keys first, then its own.

#include "bsSkinValues.h"

#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

// A described part of the skin: one INI section named IDName.
class TbsSkinSection {
public:
    explicit TbsSkinSection(const QString& idName) : IDName(idName) {}
    virtual ~TbsSkinSection() = default;
    TbsSkinSection(const TbsSkinSection&) = delete;
    TbsSkinSection& operator=(const TbsSkinSection&) = delete;

    // Sets every field that has a key: to the value read, or to the key's
    // default when the key is missing.
    virtual void LoadFromFile(const IniFile& ini) { Q_UNUSED(ini); }
    // Replaces the whole section with this object's keys.
    virtual void SaveToFile(IniFile& ini)
    {
        ini.EraseSection(IDName);
        WriteKeys(ini);
    }
    // Writes the keys into the section as it stands (a skin writer that
    // erases each section once per save calls this).
    virtual void WriteKeys(IniFile& ini) { Q_UNUSED(ini); }

    QString IDName;
};

// One key of Owner's table. A default given for a value with a text form is
// also what a missing key reads as.
template <class Owner> class TbsSkinKey {
public:
    template <class Field>
    TbsSkinKey(const char* key, Field Owner::*member,
               std::type_identity_t<Field> defaultValue = Field{})
        : m_key(QLatin1String(key))
    {
        m_reset = [member, defaultValue](Owner& owner) { owner.*member = defaultValue; };
        m_load = [member, defaultValue](Owner& owner, const IniFile& ini, const QString& section,
                                        const QString& key) {
            owner.*member = TbsSkinValue<Field>::Read(ini, section, key, defaultValue);
        };
        m_save = [member](const Owner& owner, IniFile& ini, const QString& section,
                          const QString& key) {
            TbsSkinValue<Field>::Write(ini, section, key, owner.*member);
        };
    }

    const QString& Key() const { return m_key; }
    void Reset(Owner& owner) const { m_reset(owner); }
    void Load(Owner& owner, const IniFile& ini, const QString& section) const
    {
        m_load(owner, ini, section, m_key);
    }
    void Save(const Owner& owner, IniFile& ini, const QString& section) const
    {
        m_save(owner, ini, section, m_key);
    }

private:
    QString m_key;
    std::function<void(Owner&)> m_reset;
    std::function<void(Owner&, const IniFile&, const QString&, const QString&)> m_load;
    std::function<void(const Owner&, IniFile&, const QString&, const QString&)> m_save;
};

// A class's own keys in the order they are written.
template <class Owner> class TbsSkinKeys {
public:
    TbsSkinKeys(std::initializer_list<TbsSkinKey<Owner>> keys) : m_keys(keys) {}

    void Reset(Owner& owner) const
    {
        for (const auto& key : m_keys)
            key.Reset(owner);
    }
    void Load(Owner& owner, const IniFile& ini, const QString& section) const
    {
        for (const auto& key : m_keys)
            key.Load(owner, ini, section);
    }
    void Save(const Owner& owner, IniFile& ini, const QString& section) const
    {
        for (const auto& key : m_keys)
            key.Save(owner, ini, section);
    }
    const std::vector<TbsSkinKey<Owner>>& Keys() const { return m_keys; }

private:
    std::vector<TbsSkinKey<Owner>> m_keys;
};

// Chains Self's table after Parent's: loading and writing run the parent's
// keys first. Self provides `static const TbsSkinKeys<Self>& Keys()` and calls
// ResetKeys() in its constructor.
template <class Self, class Parent> class TbsKeyedSection : public Parent {
public:
    using Parent::Parent;

    void LoadFromFile(const IniFile& ini) override
    {
        Parent::LoadFromFile(ini);
        Self::Keys().Load(self(), ini, this->IDName);
    }
    void WriteKeys(IniFile& ini) override
    {
        Parent::WriteKeys(ini);
        Self::Keys().Save(self(), ini, this->IDName);
    }

protected:
    // Gives every field of Self's own keys its default.
    void ResetKeys() { Self::Keys().Reset(self()); }

private:
    Self& self() { return static_cast<Self&>(*this); }
};
