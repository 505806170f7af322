// Reads the resources back from the built executable, through the loader, the
// way Explorer and the version APIs see them.
//
// Usage: packaging_resource_tests <path of Scourwell.exe> [gtest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

std::string executablePath;

struct ModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using DataModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

DataModule LoadAsData()
{
    return DataModule(LoadLibraryExA(executablePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

std::span<const std::uint8_t> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name)
{
    HRSRC info = FindResourceA(module, name, type);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr) return {};
    return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module, info)};
}

// One node of a VS_VERSIONINFO tree: length, value length, type, key,
// value and children, each part aligned on 32 bits from the resource start.
struct VersionNode {
    std::wstring key;
    std::span<const std::uint8_t> value;
    bool textValue = false;
    std::vector<VersionNode> children;
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

std::optional<VersionNode> ParseVersionNode(std::span<const std::uint8_t> all, std::size_t start)
{
    auto word = [&](std::size_t at) {
        std::uint16_t w;
        std::memcpy(&w, all.data() + at, 2);
        return w;
    };
    if (start + 6 > all.size()) return std::nullopt;
    const std::size_t length = word(start), valueLength = word(start + 2);
    const std::size_t end = start + length;
    if (length < 6 || end > all.size()) return std::nullopt;

    VersionNode node;
    node.textValue = word(start + 4) == 1;
    std::size_t at = start + 6;
    for (; at + 2 <= end && word(at) != 0; at += 2) node.key += static_cast<wchar_t>(word(at));
    at = Align4(at + 2);
    // Text values count characters, binary ones bytes.
    const std::size_t valueBytes = node.textValue ? valueLength * 2 : valueLength;
    if (at + valueBytes > end) return std::nullopt;
    node.value = all.subspan(at, valueBytes);
    at = Align4(at + valueBytes);
    while (at < end) {
        auto child = ParseVersionNode(all, at);
        if (!child) return std::nullopt;
        const std::size_t childLength = word(at);
        node.children.push_back(std::move(*child));
        at = Align4(at + childLength);
    }
    return node;
}

std::wstring Text(const VersionNode& node)
{
    std::wstring text;
    for (std::size_t i = 0; i + 1 < node.value.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(node.value[i] | node.value[i + 1] << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

const VersionNode* Child(const VersionNode& node, const std::wstring& key)
{
    for (const auto& child : node.children)
        if (child.key == key) return &child;
    return nullptr;
}

TEST(Packaging, VersionResourceHoldsExactlyTheNamedStrings)
{
    auto module = LoadAsData();
    ASSERT_TRUE(module) << executablePath;
    auto bytes = ResourceBytes(module.get(), RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO));
    ASSERT_FALSE(bytes.empty()) << "no version resource";
    auto root = ParseVersionNode(bytes, 0);
    ASSERT_TRUE(root) << "malformed version resource";
    EXPECT_EQ(root->key, L"VS_VERSION_INFO");

    ASSERT_EQ(root->value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root->value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u) << "file version 1.0.0.0";
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u) << "product version 1.0.0.0";
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    const VersionNode* strings = Child(*root, L"StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u) << "one string block only";
    const VersionNode& block = strings->children.front();
    EXPECT_EQ(block.key, L"040904B0");

    std::map<std::wstring, std::wstring> entries;
    for (const auto& entry : block.children) {
        EXPECT_TRUE(entry.textValue) << "binary string entry";
        EXPECT_TRUE(entries.emplace(entry.key, Text(entry)).second) << "repeated entry";
    }
    const std::map<std::wstring, std::wstring> expected{
        {L"ProductName", L"Scourwell"},   {L"InternalName", L"Scourwell"},
        {L"OriginalFilename", L"Scourwell.exe"}, {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
    };
    EXPECT_EQ(entries, expected);

    // The version APIs find the block through the translation table.
    const VersionNode* vars = Child(*root, L"VarFileInfo");
    ASSERT_NE(vars, nullptr) << "no translation table: the version APIs cannot find the strings";
    const VersionNode* translation = Child(*vars, L"Translation");
    ASSERT_NE(translation, nullptr);
    const std::vector<std::uint8_t> usEnglishUnicode{0x09, 0x04, 0xB0, 0x04};
    EXPECT_EQ(std::vector<std::uint8_t>(translation->value.begin(), translation->value.end()), usEnglishUnicode);
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR types)
{
    // Named types have no number; they are recorded as one impossible value.
    reinterpret_cast<std::set<ULONG_PTR>*>(types)->insert(IS_INTRESOURCE(type) ? reinterpret_cast<ULONG_PTR>(type)
                                                                               : ~ULONG_PTR{0});
    return TRUE;
}

std::set<ULONG_PTR> ResourceTypes(HMODULE module)
{
    std::set<ULONG_PTR> types;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
    return types;
}

TEST(Packaging, CarriesNoManifest)
{
    auto module = LoadAsData();
    ASSERT_TRUE(module) << executablePath;
    auto types = ResourceTypes(module.get());
    ASSERT_FALSE(types.empty()) << "no resources at all";
    EXPECT_EQ(types.count(reinterpret_cast<ULONG_PTR>(RT_MANIFEST)), 0u);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInResource;
    WORD id;
};
#pragma pack(pop)

BOOL CALLBACK TakeFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR first)
{
    *reinterpret_cast<LPSTR*>(first) = name;
    return FALSE;
}

// The shell shows the first icon group of the file as the program's icon.
TEST(Packaging, FirstIconGroupHoldsThe32By32SixteenColourIcon)
{
    auto module = LoadAsData();
    ASSERT_TRUE(module) << executablePath;
    LPSTR first = nullptr;
    EnumResourceNamesA(module.get(), RT_GROUP_ICON, TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
    ASSERT_NE(first, nullptr) << "no icon group";
    ASSERT_TRUE(IS_INTRESOURCE(first)) << "icon group has a name, not a number";

    auto group = ResourceBytes(module.get(), RT_GROUP_ICON, first);
    ASSERT_GE(group.size(), 6u);
    WORD count;
    std::memcpy(&count, group.data() + 4, 2);
    ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));

    bool found = false;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
        auto image = ResourceBytes(module.get(), RT_ICON, MAKEINTRESOURCEA(entry.id));
        EXPECT_EQ(image.size(), entry.bytesInResource) << "icon image " << entry.id;
        // A 16-colour image says so in its bitmap header, whatever the group says.
        if (entry.width == 32 && entry.height == 32 && image.size() >= sizeof(BITMAPINFOHEADER)) {
            BITMAPINFOHEADER header;
            std::memcpy(&header, image.data(), sizeof header);
            found = found || header.biBitCount == 4;
        }
    }
    EXPECT_TRUE(found) << "no 32 x 32, 16-colour image in the first icon group";

    HICON icon = static_cast<HICON>(LoadImageA(module.get(), first, IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr) << "the loader cannot make an icon of it";
    if (icon) DestroyIcon(icon);
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <executable> [gtest options]\n", argv[0]);
        return 2;
    }
    executablePath = argv[1];
    return RUN_ALL_TESTS();
}
