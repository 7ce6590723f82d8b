#include "toolkit/font_config.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <mutex>
#include <stdexcept>

#include "toolkit/pango_font.h"

namespace {

FcConfig* LoadConfig() {
  // The system's configuration as fontconfig keeps it for the process: pango's font map loads
  // that one too, so it is read and its fonts listed once.
  if (!FcInit()) throw std::runtime_error("fontconfig: the system configuration does not load");
  FcConfig* config = FcConfigReference(nullptr);
  if (!config) throw std::runtime_error("fontconfig: the system configuration does not load");
  if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kFontAliasConfig), FcTrue)) {
    throw std::runtime_error("fontconfig: the program's font aliases do not load");
  }
  return config;
}

PangoContext* MakeContext() {
  FcConfig* config = LoadConfig();
  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
  FcConfigDestroy(config);  // the font map holds its own reference
  PangoContext* context = pango_font_map_create_context(map);
  g_object_unref(map);
  // Fixed rendering options, so that a measured text and the drawn one have the same size
  // whatever surface they are drawn on.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(context, 96.0);
  return context;
}

// Loads the samples' fonts and glyphs: measured and drawn once on a scratch surface.
void LoadSamples(PangoContext* context, const std::vector<TTextSample>& samples) {
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);
  cairo_t* cr = cairo_create(scratch);
  for (const TTextSample& sample : samples) {
    PangoLayout* layout = pango_layout_new(context);
    const PangoFontDescriptionPtr description = MakeFontDescription(sample.font);
    pango_layout_set_font_description(layout, description.get());
    pango_layout_set_text(layout, sample.text.c_str(), static_cast<int>(sample.text.size()));
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
}

// Made once; a failure to make it is met again by the next who asks (not std::call_once, whose
// retry after an exception hangs under ThreadSanitizer).
std::mutex g_mutex;
PangoContext* g_context = nullptr;

}  // namespace

PangoContext* TextContext() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_context) g_context = MakeContext();
  return g_context;
}

void PrepareTextContext(const std::vector<TTextSample>& samples) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_context) return;
  PangoContext* context = MakeContext();
  LoadSamples(context, samples);
  g_context = context;
}
