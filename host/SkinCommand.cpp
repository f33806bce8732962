#include "host/Commands.h"

#include "component/HostServicesContext.h"
#include "host/FileAccess.h"
#include "host/plugin/EventServices.h"
#include "host/plugin/HostError.h"
#include "host/plugin/PluginInstance.h"
#include "host/plugin/PluginLibrary.h"
#include "host/render/SkinDocument.h"
#include "host/render/SkinPreview.h"

#include <filesystem>
#include <map>
#include <set>

namespace quorlin::host {

namespace {

namespace fs = std::filesystem;

constexpr const char* viewNames[] = {"inspector", "editor"};
// Far beyond any skin; a larger size is taken as a broken answer, not an allocation request.
constexpr std::uint32_t maxResourceSize = 64u << 20;
// The module copies at most 10 bytes of template name; the rest is a margin.
constexpr std::size_t templateNameSize = 64;

// A name as a file name: letters, digits, '-' and '_' only.
std::string fileNameOf(const std::string& name) {
    std::string result;
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_';
        result += plain ? c : '_';
    }
    return result.empty() ? "_" : result;
}

// Asks twice, as the interface expects: once for the size, then with a buffer of that size.
template <typename Fetch>
std::vector<std::uint8_t> fetchTwice(Fetch fetch, const std::string& what) {
    std::uint32_t size = 0;
    if (fetch(nullptr, &size) != resultOk) {
        throw HostError("the plug-in has no " + what);
    }
    if (size > maxResourceSize) {
        throw HostError("the plug-in reports an implausible size of " + std::to_string(size) +
                        " bytes for " + what);
    }
    std::vector<std::uint8_t> data(size);
    std::uint32_t copied = size;
    if (fetch(data.data(), &copied) != resultOk || copied != size) {
        throw HostError("the plug-in did not hand over " + what);
    }
    return data;
}

struct FetchedView {
    SkinPreview::View view;
    SkinDocument document;
    std::vector<ParameterState> parameters;
};

FetchedView fetchView(SkinInterface& skin, const char* name) {
    UnknownInterface* object = nullptr;
    if (skin.getView(name, &object) != resultOk || object == nullptr) {
        throw HostError(std::string("the plug-in offers no view '") + name + "'");
    }
    InterfacePointer<UnknownInterface> view(object);

    char templateName[templateNameSize + 1] = {};
    std::vector<std::uint8_t> bytes = fetchTwice(
        [&](void* data, std::uint32_t* size) {
            return skin.getSkinDescription(name, templateName, data, size);
        },
        std::string("skin description for view '") + name + "'");
    templateName[templateNameSize] = '\0';

    FetchedView fetched{{name, templateName, std::string(bytes.begin(), bytes.end())}, {}, {}};
    fetched.document = SkinDocument::parse(fetched.view.document);
    if (!fetched.document.hasTemplate(fetched.view.templateName)) {
        throw HostError("the skin description has no template '" + fetched.view.templateName +
                        "' for view '" + name + "'");
    }
    // The value boxes show parameters as the view object reports them.
    auto owner = view.query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
    for (const SkinDocument::Element& element : fetched.document.elements()) {
        if (element.name == "valuebox" && owner) {
            if (auto parameter =
                    PluginInstance::readParameter(*owner.get(), element.attribute("name"))) {
                fetched.parameters.push_back(*parameter);
            }
        }
    }
    return fetched;
}

} // namespace

void runSkinCommand(const CommandLine& line, std::ostream& out) {
    PluginLibrary library(pluginPathOf(line));
    EventServices services;
    HostServicesContext context(services);
    PluginInstance instance(library.createModule(), context);
    InterfacePointer<SkinInterface> skin = instance.skin();
    if (!skin) {
        throw HostError("the plug-in offers no skin");
    }

    // Everything is fetched and checked before the first file is written.
    std::vector<FetchedView> views;
    for (const char* name : viewNames) {
        views.push_back(fetchView(*skin.get(), name));
    }
    std::map<std::string, std::string> bitmapPaths;
    for (const FetchedView& view : views) {
        for (const SkinDocument::Bitmap& bitmap : view.document.bitmaps()) {
            bitmapPaths.emplace(bitmap.name, bitmap.path);
        }
        for (const std::string& used : view.document.bitmapsUsedBy(view.view.templateName)) {
            if (bitmapPaths.count(used) == 0) {
                throw HostError("template '" + view.view.templateName + "' draws bitmap '" + used +
                                "', which the skin does not declare");
            }
        }
    }
    std::map<std::string, std::vector<std::uint8_t>> bitmaps;
    for (const auto& [name, path] : bitmapPaths) {
        bitmaps[name] = fetchTwice(
            [&, path = path](void* data, std::uint32_t* size) {
                return skin->getSkinResource(path.c_str(), data, size);
            },
            std::string("resource '")
                .append(path)
                .append("' for bitmap '")
                .append(name)
                .append("'"));
    }

    SkinPreview preview;
    std::set<std::string> parametersShown;
    for (const FetchedView& view : views) {
        preview.addView(view.view);
        for (const ParameterState& parameter : view.parameters) {
            if (parametersShown.insert(parameter.name).second) {
                preview.addParameter(parameter);
            }
        }
    }
    for (const auto& [name, bytes] : bitmaps) {
        preview.addBitmap(name, bytes);
    }

    // All files or none, each existing one replaced only with --force.
    fs::path directory(line.outputDirectory);
    std::vector<OutputFile> files;
    files.reserve(views.size() + bitmaps.size() + 1);
    for (const FetchedView& view : views) {
        files.push_back({(directory / (fileNameOf(view.view.name) + ".xml")).string(),
                         bytesOf(view.view.document)});
    }
    for (const auto& [name, bytes] : bitmaps) {
        bool png = SkinPreview::pngSize(bytes).has_value();
        files.push_back({(directory / (fileNameOf(name) + (png ? ".png" : ".bin"))).string(),
                         std::span<const std::uint8_t>(bytes)});
    }
    std::string html = preview.html();
    files.push_back({(directory / "preview.html").string(), bytesOf(html)});
    std::vector<std::string> written;
    written.reserve(files.size());
    for (const OutputFile& file : files) {
        written.push_back(file.path);
    }
    makeOutputDirectory(line.outputDirectory);
    checkOutputs({}, written, line.force, Streams::Refused);
    writeFilesAtomically(files);
    for (const std::string& path : written) {
        out << "Wrote " << path << '\n';
    }
}

} // namespace quorlin::host
