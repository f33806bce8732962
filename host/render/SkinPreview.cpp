#include "host/render/SkinPreview.h"

#include "host/render/Base64.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace quorlin::host {

namespace {

constexpr std::uint8_t pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

constexpr const char* pageHead = R"page(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Quorlin skin preview</title>
<style>
body { font-family: sans-serif; background: #e4e7eb; color: #222; margin: 24px; }
h1 { font-size: 18px; font-weight: normal; }
.frame { display: inline-block; vertical-align: top; margin: 0 40px 24px 0; }
.caption { font-size: 12px; color: #444; margin-bottom: 6px; }
.error { color: #a00; }
.view { position: relative; overflow: hidden; background-repeat: no-repeat; }
.view.backed { box-shadow: 0 1px 4px rgba(0, 0, 0, 0.35); }
.view > * { position: absolute; box-sizing: border-box; margin: 0; }
.valuebox { display: flex; align-items: center; padding: 0 4px; overflow: hidden;
            font: 11px monospace; background: #fff; border: 1px solid #555; cursor: default; }
.valuebox.led { background: #0d1a0d; color: #86ff86; text-shadow: 0 0 3px #3f3; }
.valuebox .bar { position: absolute; left: 0; top: 0; bottom: 0; background: rgba(134, 255, 134, 0.22); }
.valuebox .text { position: relative; }
.label { display: flex; align-items: center; white-space: nowrap; overflow: hidden;
         font: 11px sans-serif; }
</style>
</head>
<body>
<h1>Quorlin skin preview</h1>
<div id="views"></div>
<script type="application/json" id="skin-data">
)page";

constexpr const char* pageScript = R"page(
</script>
<script>
const skin = JSON.parse(document.getElementById("skin-data").textContent);

function numbers(text) {
  return (text || "").split(",").map((field) => {
    const value = parseInt(field, 10);
    return Number.isNaN(value) ? null : value;
  });
}

function place(node, x, y, width, height) {
  node.style.left = x + "px";
  node.style.top = y + "px";
  node.style.width = width + "px";
  node.style.height = height + "px";
}

function renderView(view) {
  const frame = document.createElement("div");
  frame.className = "frame";
  const caption = document.createElement("div");
  caption.className = "caption";
  frame.appendChild(caption);
  const fail = (message) => {
    caption.textContent = view.name + ": " + message;
    caption.classList.add("error");
    return frame;
  };

  const xml = new DOMParser().parseFromString(view.document, "application/xml");
  if (xml.getElementsByTagName("parsererror").length > 0) {
    return fail("the skin description is not well-formed XML");
  }
  const template = Array.from(xml.getElementsByTagName("template"))
    .find((element) => element.getAttribute("name") === view.template);
  if (!template) {
    return fail("no template \"" + view.template + "\"");
  }

  const box = document.createElement("div");
  box.className = "view";
  let width = 0;
  let height = 0;
  const grow = (x, y, w, h) => {
    width = Math.max(width, x + w);
    height = Math.max(height, y + h);
  };
  const background = skin.bitmaps[template.getAttribute("background")];
  if (background) {
    // Only a view with a background of its own is a window; the others, like the inspector,
    // lie on the host's panel, which shows where their bitmaps leave room.
    box.classList.add("backed");
    box.style.backgroundImage = "url(" + background.url + ")";
    grow(0, 0, background.width, background.height);
  }

  for (const element of Array.from(template.children)) {
    const [x, y, w, h] = numbers(element.getAttribute("size"));
    const left = x ?? 0;
    const top = y ?? 0;
    let node;
    let nodeWidth = w ?? 0;
    let nodeHeight = h ?? 0;
    if (element.tagName === "image") {
      const bitmap = skin.bitmaps[element.getAttribute("bitmap")];
      node = document.createElement("img");
      node.alt = element.getAttribute("bitmap") || "";
      if (bitmap) {
        node.src = bitmap.url;
        nodeWidth = w ?? bitmap.width;
        nodeHeight = h ?? bitmap.height;
      }
    } else if (element.tagName === "valuebox") {
      const name = element.getAttribute("name");
      const parameter = skin.parameters[name];
      node = document.createElement("div");
      node.className = "valuebox";
      const styles = (element.getAttribute("style") || "").split("|").filter((word) => word);
      for (const word of styles) {
        node.classList.add(word);
      }
      if (parameter && styles.includes("horiz-valuebar") && parameter.max > parameter.min) {
        const bar = document.createElement("div");
        bar.className = "bar";
        const share = (parameter.value - parameter.min) / (parameter.max - parameter.min);
        bar.style.width = Math.round(share * 100) + "%";
        node.appendChild(bar);
      }
      const text = document.createElement("span");
      text.className = "text";
      text.textContent = parameter ? parameter.text : "?";
      node.appendChild(text);
      node.title = (element.getAttribute("tip") || name) + (parameter ? "" : " (no such parameter)");
    } else if (element.tagName === "label") {
      node = document.createElement("div");
      node.className = "label";
      node.textContent = element.getAttribute("title") || "";
      const just = element.getAttribute("just") || "left";
      node.style.justifyContent = just === "right" ? "flex-end" : just === "center" ? "center" : "flex-start";
    } else {
      continue;
    }
    place(node, left, top, nodeWidth, nodeHeight);
    grow(left, top, nodeWidth, nodeHeight);
    box.appendChild(node);
  }

  box.style.width = width + "px";
  box.style.height = height + "px";
  caption.textContent = view.name + " (template \"" + view.template + "\"), " + width + " x " + height + " px";
  frame.appendChild(box);
  return frame;
}

const views = document.getElementById("views");
for (const view of skin.views) {
  views.appendChild(renderView(view));
}
</script>
</body>
</html>
)page";

} // namespace

std::optional<SkinPreview::PixelSize> SkinPreview::pngSize(std::span<const std::uint8_t> bytes) {
    // Signature, then the IHDR chunk: length, type, width, height.
    if (bytes.size() < 24 ||
        !std::equal(std::begin(pngSignature), std::end(pngSignature), bytes.begin()) ||
        bytes[12] != 'I' || bytes[13] != 'H' || bytes[14] != 'D' || bytes[15] != 'R') {
        return std::nullopt;
    }
    return PixelSize{bigEndian32(bytes, 16), bigEndian32(bytes, 20)};
}

std::string SkinPreview::scriptString(std::string_view text) {
    std::string literal = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            literal += "\\\"";
            break;
        case '\\':
            literal += "\\\\";
            break;
        case '\n':
            literal += "\\n";
            break;
        case '\r':
            literal += "\\r";
            break;
        case '\t':
            literal += "\\t";
            break;
        default:
            // Angle brackets and ampersands are escaped so no "</script>" can end the block.
            if (byte < 0x20 || byte >= 0x7F || c == '<' || c == '>' || c == '&') {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
                literal += escaped;
            } else {
                literal += c;
            }
        }
    }
    return literal + "\"";
}

void SkinPreview::addBitmap(const std::string& name, std::span<const std::uint8_t> bytes) {
    std::optional<PixelSize> size = pngSize(bytes);
    std::string type = size ? "image/png" : "application/octet-stream";
    bitmaps.push_back(
        {name, "data:" + type + ";base64," + base64(bytes), size.value_or(PixelSize{})});
}

std::string SkinPreview::html() const {
    // The data travels as JSON, which the checks of the page can read back as well.
    auto join = [](const std::vector<std::string>& items) {
        std::string joined;
        for (const std::string& item : items) {
            joined += (joined.empty() ? "\n    " : ",\n    ") + item;
        }
        return joined;
    };
    std::vector<std::string> viewItems;
    for (const View& view : views) {
        viewItems.push_back("{\"name\": " + scriptString(view.name) +
                            ", \"template\": " + scriptString(view.templateName) +
                            ", \"document\": " + scriptString(view.document) + "}");
    }
    std::vector<std::string> bitmapItems;
    for (const Bitmap& bitmap : bitmaps) {
        bitmapItems.push_back(scriptString(bitmap.name) +
                              ": {\"width\": " + std::to_string(bitmap.size.width) +
                              ", \"height\": " + std::to_string(bitmap.size.height) +
                              ", \"url\": " + scriptString(bitmap.url) + "}");
    }
    std::vector<std::string> parameterItems;
    for (const ParameterState& parameter : parameters) {
        parameterItems.push_back(scriptString(parameter.name) +
                                 ": {\"text\": " + scriptString(parameter.text) +
                                 ", \"value\": " + std::to_string(parameter.value) +
                                 ", \"min\": " + std::to_string(parameter.min) +
                                 ", \"max\": " + std::to_string(parameter.max) + "}");
    }
    std::string page = pageHead;
    page += "{\n  \"views\": [" + join(viewItems) + "\n  ],\n  \"bitmaps\": {" + join(bitmapItems) +
            "\n  },\n  \"parameters\": {" + join(parameterItems) + "\n  }\n}";
    page += pageScript;
    return page;
}

} // namespace quorlin::host
