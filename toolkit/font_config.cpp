#include "toolkit/font_config.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <stdexcept>

namespace {

FcConfig* LoadConfig() {
  FcConfig* config = FcInitLoadConfigAndFonts();
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

}  // namespace

PangoContext* TextContext() {
  static PangoContext* context = MakeContext();
  return context;
}
