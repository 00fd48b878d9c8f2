#include "host/load/chargement.h"

#include "host/systeme/systeme.h"
#include "platform/citation.h"
#include "platform/lettres.h"

#include <cctype>

namespace host {

namespace {

// The project's one version number, from the build.
constexpr const char* kVersion = RTC_VERSION;
constexpr int kMaxPins = 64;
constexpr std::size_t kNameBuffer = 64;
// The virtual IOW24 of this project says so through this function.
constexpr const char* kVirtualIdentity = "iowvirt_identity";
constexpr const char* kVirtualSetting = "iowvirt_setting";
constexpr const char* kVirtualBusy = "iowvirt_busy";
constexpr const char* kVirtualBench = "iowvirt_bench";

constexpr const char* kVirtualFolder = "virtuel";

// The virtual IOW24 of the package, in its folder; a build tree keeps it
// beside the program. A program copied alone has neither: it is looked
// for where the package keeps it, so that every message names one place.
std::string default_device() {
    const std::string folder = program_folder();
    const std::string packaged = folder + kVirtualFolder + kPathSeparator + kDeviceFile;
    const bool build_tree =
        !file_exists(folder + kVirtualFolder) && file_exists(folder + kDeviceFile);
    return build_tree ? folder + kDeviceFile : packaged;
}

// What to do when the default library cannot be loaded.
std::string package_hint(const std::string& path) {
    if (file_exists(path)) return "";
    if (file_exists(program_folder() + kVirtualFolder))
        return std::string(kDeviceFile) + " manque dans le dossier " + kVirtualFolder +
               " du paquet : extrayez de nouveau tout le ZIP, ou donnez --device.";
    return "Le dossier " + std::string(kVirtualFolder) +
           " du paquet, avec l'IOW24 virtuel, manque à côté de rtc_host : lancez rtc_host depuis "
           "le dossier du ZIP extrait en entier, ou donnez --device.";
}

// A file name without a folder: the system looks for it as it looks for a
// program's libraries.
bool bare_name(const std::string& path) { return path.find_first_of("/\\") == std::string::npos; }

template <typename Fn>
void entry(void* library, const char* name, Fn& function, std::string& missing) {
    function = reinterpret_cast<Fn>(find_function(library, name));
    if (function == nullptr) add_missing(missing, name);
}

std::vector<std::string> pin_names(PinNameFn name_of, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[kNameBuffer] = {};
        name_of(static_cast<std::uint32_t>(i), name);
        name[kNameBuffer - 1] = '\0';
        names.emplace_back(name);
    }
    return names;
}

// Looks the entry points up by name, as a host does, and reads the pin
// layout; what is wrong with the library otherwise.
std::string look_up(void* library, Block& block) {
    std::string missing;
    entry(library, "NumInputs", block.num_inputs, missing);
    entry(library, "NumOutputs", block.num_outputs, missing);
    entry(library, "GetInputName", block.input_name, missing);
    entry(library, "GetOutputName", block.output_name, missing);
    entry(library, "CSimStart", block.start, missing);
    entry(library, "CSimStop", block.stop, missing);
    entry(library, "CCalculate", block.calculate, missing);
    if (!missing.empty()) return "n'a pas les points d'entrée " + missing;
    const int inputs = block.num_inputs(), outputs = block.num_outputs();
    if (inputs < 1 || inputs > kMaxPins || outputs < 0 || outputs > kMaxPins) {
        return "annonce " + std::to_string(inputs) + " entrées et " + std::to_string(outputs) +
               " sorties";
    }
    block.inputs = pin_names(block.input_name, inputs);
    block.outputs = pin_names(block.output_name, outputs);
    return "";
}

LoadError load_device(const Options& o, Loaded& loaded) {
    loaded.device_path = o.device.empty() ? default_device() : o.device;
    // Loaded as the device, the block would look for iowkit.dll itself,
    // and the system would only say that a module is missing.
    if (texte::same_letters(file_name(loaded.device_path), kBlockFile))
        return {loaded.device_path + " est le bloc, pas une bibliothèque de l'IOW24.",
                "Donnez à --device le chemin d'une iowkit.dll : celle du dossier " +
                    std::string(kVirtualFolder) +
                    " du paquet pour l'IOW24 virtuel, la vraie "
                    "pour le matériel."};
    // A folder given for the library: the system would only say that it
    // cannot load it, or, under Windows, send the user to install software.
    if (is_folder(loaded.device_path)) {
        const std::string inside =
            loaded.device_path +
            (loaded.device_path.find_last_of("/\\") + 1 == loaded.device_path.size()
                 ? ""
                 : kPathSeparator) +
            kDeviceFile;
        return {loaded.device_path +
                    " est un dossier : --device demande le fichier de la "
                    "bibliothèque de l'IOW24.",
                file_exists(inside) ? "Donnez --device \"" + inside + "\"."
                                    : std::string("Pour l'IOW24 virtuel, donnez le fichier ") +
                                          kVirtualFolder + kPathSeparator + kDeviceFile +
                                          " du paquet ; pour le matériel, " + kDeviceFile + "."};
    }
    std::string why;
    loaded.device = load_library(loaded.device_path, why);
    if (loaded.device == nullptr) {
        const std::string hint = bare_name(loaded.device_path) ? kWhereToPutTheDevice
                                 : o.device.empty()            ? package_hint(loaded.device_path)
                                                               : "";
        return {
            "impossible de charger la bibliothèque de l'IOW24 " + loaded.device_path + " : " + why,
            hint};
    }
    if (!find_device_functions(loaded.device, loaded.functions, why)) {
        return {"la bibliothèque de l'IOW24 " + loaded.device_path + " ne convient pas : " + why,
                ""};
    }
    // The block imports the library by its name: under another one, the
    // system would look for iowkit.dll again when it loads the block.
    const std::string name = file_name(loaded.device_path);
    if (!texte::same_letters(name, kDeviceFile)) {
        return {"la bibliothèque de l'IOW24 " + loaded.device_path + " doit s'appeler " +
                    kDeviceFile + " : le bloc la cherche sous ce nom.",
                "Copiez " + name + " sous le nom " + kDeviceFile +
                    " dans un dossier à elle, puis donnez ce chemin à --device."};
    }
    return {};
}

LoadError load_block(const Options& o, Loaded& loaded) {
    loaded.block_path = o.block.empty() ? program_folder() + kBlockFile : o.block;
    std::string why;
    loaded.library = load_library(loaded.block_path, why);
    if (loaded.library == nullptr)
        return {"impossible de charger le bloc " + loaded.block_path + " : " + why, ""};
    const std::string wrong = look_up(loaded.library, loaded.block);
    if (!wrong.empty()) return {loaded.block_path + " " + wrong, ""};
    return {};
}

}  // namespace

void add_missing(std::string& missing, const char* name) {
    if (!missing.empty()) missing += ", ";
    missing += name;
}

LoadError load(const Options& o, Loaded& loaded) {
    LoadError failed = load_device(o, loaded);
    return failed.message.empty() ? load_block(o, loaded) : failed;
}

void unload(Loaded& loaded) {
    if (loaded.library != nullptr) unload_library(loaded.library);
    if (loaded.device != nullptr) unload_library(loaded.device);
    loaded.library = loaded.device = nullptr;
}

bool packaged_virtual_device(const Loaded& loaded) {
    return virtual_device(loaded) &&
           texte::same_letters(library_path(loaded.device),
                               program_folder() + kVirtualFolder + kPathSeparator + kDeviceFile);
}

bool virtual_device(const Loaded& loaded) {
    return loaded.device != nullptr && find_function(loaded.device, kVirtualIdentity) != nullptr;
}

std::string stray_words_file(const Loaded& loaded) {
    constexpr const char* kWordsFile = "iowvirt.txt";
    const std::string here = program_folder() + kWordsFile;
    if (!virtual_device(loaded) || !file_exists(here)) return "";
    const std::string library = library_path(loaded.device);
    const std::string folder = library.substr(0, library.find_last_of("/\\") + 1);
    if (texte::same_letters(folder, program_folder())) return "";
    return here + " ne compte pas : l'IOW24 virtuel chargé est " + library + " ; mettez " +
           kWordsFile + " à côté de lui (" + folder + ").";
}

SettingFn virtual_setting(const Loaded& loaded) {
    if (loaded.device == nullptr) return nullptr;
    return reinterpret_cast<SettingFn>(find_function(loaded.device, kVirtualSetting));
}

SettingFn virtual_bench(const Loaded& loaded) {
    if (loaded.device == nullptr) return nullptr;
    return reinterpret_cast<SettingFn>(find_function(loaded.device, kVirtualBench));
}

std::string block_version(const Loaded& loaded) {
    const std::string version =
        loaded.library == nullptr ? "" : file_version(library_path(loaded.library));
    return version.empty() ? kVersion : version;
}

std::string device_version(const Loaded& loaded) {
    return loaded.device == nullptr ? "" : file_version(library_path(loaded.device));
}

BusyFn virtual_busy(const Loaded& loaded) {
    if (loaded.device == nullptr) return nullptr;
    return reinterpret_cast<BusyFn>(find_function(loaded.device, kVirtualBusy));
}

std::string version_text(const Loaded& loaded) {
    std::string text = std::string("rtc_host ") + kVersion + "\n";
    if (loaded.library != nullptr)
        text += "bloc : " + texte::cite_path(library_path(loaded.library)) + "\n";
    if (loaded.device == nullptr) return text;
    const std::string device = library_path(loaded.device);
    text += "bibliothèque de l'IOW24 : " + texte::cite_path(device) + "\n";
    if (const std::string version = file_version(device); !version.empty())
        text += "  version de fichier : " + version + "\n";
    using Identity = const char* (*)();
    const auto identity =
        reinterpret_cast<Identity>(find_function(loaded.device, kVirtualIdentity));
    if (identity != nullptr) {
        text += std::string("  c'est l'IOW24 virtuel (") + identity() +
                ") : aucun matériel n'est utilisé.\n";
    } else {
        text +=
            "  ce n'est pas l'IOW24 virtuel : c'est une autre bibliothèque, celle du "
            "fabricant pour le vrai matériel.\n";
    }
    return text;
}

}  // namespace host
