// The page model built from element and attribute calls, fed the way the
// rip filter feeds them: attributes last to first.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <utility>

#include "model_builder.h"

namespace tav::render {
namespace {

class FakeMetrics : public FontMetrics {
public:
    uint32_t GlyphFor(char32_t c) const override { return static_cast<uint32_t>(c); }
    double Advance(uint32_t) const override { return 0.5; }
    double VerticalAdvance(uint32_t) const override { return 1; }
    double Ascent() const override { return 0.8; }
    uint32_t GlyphCount() const override { return 0x10000; }
};

class FakeResources : public PageResources {
public:
    const FontMetrics* Font(const FontReference& font, std::string* error) override
    {
        requested.push_back(font.part);
        if (font.part == "/missing.ttf") {
            *error = "the part could not be had";
            return nullptr;
        }
        return &metrics;
    }
    const DecodedImage* Image(const std::string& uri, const std::string& profileUri, std::string* error) override
    {
        requested.push_back(uri + (profileUri.empty() ? "" : " through " + profileUri));
        if (uri != "/a.png") {
            *error = "the image callback could not deliver it";
            return nullptr;
        }
        return &image;
    }
    bool ProfileColour(const std::string& profileUri, const std::vector<double>& channels, Rgba* colour) override
    {
        requested.push_back(profileUri);
        if (profileUri != "/grey.icc" || channels.size() != 1) return false;
        *colour = {channels[0] * 0.5, channels[0] * 0.5, channels[0] * 0.5, 1};  // a dim grey profile
        return true;
    }

    FakeMetrics metrics;
    DecodedImage image;
    std::vector<std::string> requested;
};

using Attributes = std::initializer_list<std::pair<const char*, const char*>>;

// Feeds an element with its attributes last to first; `children` runs
// before the end, which is XPSEndElem when it added elements.
class Feeder {
public:
    explicit Feeder(ModelBuilder* builder) : builder_(builder) {}

    bool Element(const char* name, Attributes attributes, const std::function<void()>& children = {})
    {
        if (!builder_->StartElement(name)) return false;
        std::vector<std::pair<const char*, const char*>> list(attributes);
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (!builder_->Attribute(it->first, it->second)) return false;
        if (children) children();
        return builder_->EndElement(children ? name : "");
    }

private:
    ModelBuilder* builder_;
};

TEST(PageModel, ResolvesResourcesByScopeAndFoldsPropertyElements)
{
    FakeResources resources;
    ModelBuilder builder(&resources);
    Feeder f(&builder);
    bool fed = f.Element("FixedPage", {{"Width", "200"}, {"Height", "100"}, {"xmlns", "ignored"}}, [&] {
        f.Element("FixedPage.Resources", {}, [&] {
            f.Element("ResourceDictionary", {}, [&] {
                f.Element("SolidColorBrush", {{"x:Key", "ink"}, {"Color", "#FF0000"}});
                f.Element("PathGeometry", {{"x:Key", "box"}, {"Figures", "M 0,0 L 10,0 10,10 Z"}});
            });
            // A dictionary named by Source, and the elements of the part it
            // names right after it.
            f.Element("ResourceDictionary", {{"Source", "/remote.dict"}});
            f.Element("ResourceDictionary", {}, [&] {
                f.Element("SolidColorBrush", {{"x:Key", "far"}, {"Color", "#0000FF"}});
            });
        });
        f.Element("Canvas", {{"Opacity", "0.5"}}, [&] {
            f.Element("Canvas.Resources", {}, [&] {
                f.Element("ResourceDictionary", {}, [&] {
                    f.Element("SolidColorBrush", {{"x:Key", "ink"}, {"Color", "#00FF00"}});
                });
            });
            f.Element("Canvas.RenderTransform", {}, [&] { f.Element("MatrixTransform", {{"Matrix", "2,0,0,2,5,5"}}); });
            f.Element("Path", {{"Fill", "{StaticResource ink}"}, {"Data", "{StaticResource box}"}});
        });
        f.Element("Path", {{"Fill", "{StaticResource ink}"}, {"Stroke", "{StaticResource far}"}}, [&] {
            f.Element("Path.Data", {}, [&] {
                f.Element("PathGeometry", {}, [&] {
                    f.Element("PathGeometry.Transform", {}, [&] {
                        f.Element("MatrixTransform", {{"Matrix", "1,0,0,1,100,0"}});
                    });
                    f.Element("PathFigure", {{"StartPoint", "0,0"}, {"IsClosed", "true"}}, [&] {
                        f.Element("PolyLineSegment", {{"Points", "10,0 10,10"}});
                        f.Element("ArcSegment", {{"Point", "0,10"},
                                                 {"Size", "5,5"},
                                                 {"RotationAngle", "0"},
                                                 {"IsLargeArc", "false"},
                                                 {"SweepDirection", "Clockwise"},
                                                 {"IsStroked", "false"}});
                    });
                });
            });
        });
    });
    ASSERT_TRUE(fed) << builder.Error();
    ASSERT_TRUE(builder.PageComplete());
    const Page& page = builder.page();
    EXPECT_EQ(page.width, 200);
    ASSERT_EQ(page.nodes.size(), 3u);
    const Node& canvas = page.nodes[0];
    EXPECT_EQ(canvas.kind, Node::Canvas);
    EXPECT_EQ(canvas.end, 2u);
    EXPECT_EQ(canvas.opacity, 0.5);
    EXPECT_EQ(canvas.transform, (Affine{2, 0, 0, 2, 5, 5}));
    // Inside the canvas its own "ink" (green) hides the page's (red).
    EXPECT_EQ(page.brushes[page.nodes[1].fill].colour, (Rgba{0, 1, 0, 1}));
    EXPECT_EQ(page.geometries[page.nodes[1].geometry].figures[0].segments.size(), 2u);
    // Outside it the page's again, and the remote dictionary's brush.
    const Node& path = page.nodes[2];
    EXPECT_EQ(page.brushes[path.fill].colour, (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(page.brushes[path.stroke].colour, (Rgba{0, 0, 1, 1}));
    const Figure& figure = page.geometries[path.geometry].figures[0];
    EXPECT_EQ(figure.start, (Point{100, 0}));  // the geometry's own transform
    EXPECT_TRUE(figure.closed);
    ASSERT_EQ(figure.segments.size(), 4u);  // two lines, then the half circle's two quarters
    EXPECT_TRUE(figure.segments[1].stroked);
    EXPECT_FALSE(figure.segments[2].stroked);
    EXPECT_EQ(figure.segments[3].end, (Point{100, 10}));
}

TEST(PageModel, GlyphsAreLaidOutWithTheFontAndImagesAndProfilesAreFetched)
{
    FakeResources resources;
    ModelBuilder builder(&resources);
    Feeder f(&builder);
    bool fed = f.Element("FixedPage", {{"Width", "200"}, {"Height", "100"}}, [&] {
        ASSERT_TRUE(builder.StartElement("Glyphs"));
        // The rip filter sends UnicodeString as UTF-16 and the others narrow,
        // last attribute first.
        ASSERT_TRUE(builder.UnicodeStringAttribute(u"AB"));
        ASSERT_TRUE(builder.Attribute("OriginY", "50"));
        ASSERT_TRUE(builder.Attribute("OriginX", "10"));
        ASSERT_TRUE(builder.Attribute("FontRenderingEmSize", "20"));
        ASSERT_TRUE(builder.Attribute("FontUri", "/fonts/a.ttc#1"));
        ASSERT_TRUE(builder.Attribute("Fill", "ContextColor /c.icc 0.5,0.5"));
        ASSERT_TRUE(builder.EndElement(""));
        f.Element("Path", {{"Data", "M 0,0 L 5,5 Z"}}, [&] {
            f.Element("Path.Fill", {}, [&] {
                f.Element("ImageBrush", {{"ImageSource", "{ColorConvertedBitmap /a.png /rgb.icc}"},
                                         {"Opacity", "0.5"},
                                         {"Viewbox", "0,0,1,1"},
                                         {"Viewport", "0,0,0.5,1"},
                                         {"ViewportUnits", "RelativeToBoundingBox"},
                                         {"TileMode", "FlipY"}});
            });
        });
        f.Element("Path", {{"Data", "M 0,0 L 5,5 Z"}, {"Fill", "ContextColor /grey.icc 0.25,0.8"}});
    });
    ASSERT_TRUE(fed) << builder.Error();
    const Page& page = builder.page();
    ASSERT_EQ(page.glyphRuns.size(), 1u);
    EXPECT_EQ(resources.requested,
              (std::vector<std::string>{"/c.icc", "/fonts/a.ttc", "/a.png through /rgb.icc", "/grey.icc"}));
    const GlyphRun& run = page.glyphRuns[0];
    ASSERT_EQ(run.layout.glyphs.size(), 2u);
    EXPECT_EQ(run.layout.glyphs[1], (PlacedGlyph{'B', {20, 50}}));  // 10 + half of 20
    EXPECT_EQ(run.layout.utf8, "AB");
    // Without its profile a one-channel ContextColor is the grey of its
    // channel; with it, the profile's colour and the markup's alpha.
    EXPECT_EQ(page.brushes[page.nodes[0].fill].colour, (Rgba{0.5, 0.5, 0.5, 0.5}));
    EXPECT_EQ(page.brushes[page.nodes[2].fill].colour, (Rgba{0.4, 0.4, 0.4, 0.25}));
    const Brush& image = page.brushes[page.nodes[1].fill];
    EXPECT_EQ(image.kind, Brush::Image);
    EXPECT_EQ(image.image, &resources.image);
    EXPECT_EQ(image.opacity, 0.5);
    EXPECT_EQ(image.viewport, (Rect{0, 0, 0.5, 1}));
    EXPECT_EQ(image.mapping, MappingMode::RelativeToBoundingBox);
    EXPECT_EQ(image.viewboxUnits, MappingMode::Absolute);
    EXPECT_EQ(image.tileMode, TileMode::FlipY);
}

// A visual's content lands in a node list of its own, whether it is kept
// as a resource or held by the brush; the page's list has only its own.
TEST(PageModel, VisualsAreNodeListsOfTheirOwn)
{
    FakeResources resources;
    ModelBuilder builder(&resources);
    Feeder f(&builder);
    bool fed = f.Element("FixedPage", {{"Width", "100"}, {"Height", "100"}}, [&] {
        f.Element("FixedPage.Resources", {}, [&] {
            f.Element("ResourceDictionary", {}, [&] {
                f.Element("Canvas", {{"x:Key", "motif"}}, [&] {
                    f.Element("Path", {{"Fill", "#FF0000"}, {"Data", "M 0,0 L 4,0 4,4 Z"}});
                    f.Element("Path", {{"Fill", "#0000FF"}, {"Data", "M 0,0 L 2,0 2,2 Z"}});
                });
                f.Element("VisualBrush", {{"x:Key", "b"},
                                          {"Visual", "{StaticResource motif}"},
                                          {"Viewbox", "0,0,4,4"},
                                          {"Viewport", "0,0,8,8"},
                                          {"TileMode", "Tile"}});
            });
        });
        f.Element("Path", {{"Fill", "{StaticResource b}"}, {"Data", "M 0,0 L 50,0 50,50 Z"}});
        f.Element("Path", {{"Data", "M 0,0 L 50,0 50,50 Z"}}, [&] {
            f.Element("Path.OpacityMask", {}, [&] {
                f.Element("VisualBrush", {{"Viewbox", "0,0,1,1"}, {"Viewport", "0,0,1,1"}}, [&] {
                    f.Element("VisualBrush.Visual", {}, [&] {
                        f.Element("Path", {{"Fill", "#000000"}, {"Data", "M 0,0 L 1,1 0,1 Z"}});
                    });
                });
            });
            f.Element("Path.Fill", {}, [&] { f.Element("SolidColorBrush", {{"Color", "#00FF00"}}); });
        });
    });
    ASSERT_TRUE(fed) << builder.Error();
    const Page& page = builder.page();
    ASSERT_EQ(page.nodes.size(), 2u);
    ASSERT_EQ(page.visuals.size(), 2u);
    ASSERT_EQ(page.visuals[0].size(), 3u);  // the canvas and its two paths
    EXPECT_EQ(page.visuals[0][0].kind, Node::Canvas);
    EXPECT_EQ(page.visuals[0][0].end, 3u);
    EXPECT_EQ(page.visuals[1].size(), 1u);
    const Brush& tiled = page.brushes[page.nodes[0].fill];
    EXPECT_EQ(tiled.kind, Brush::Visual);
    EXPECT_EQ(tiled.visual, 0);
    EXPECT_EQ(tiled.tileMode, TileMode::Tile);
    EXPECT_EQ(tiled.viewport, (Rect{0, 0, 8, 8}));
    const Brush& mask = page.brushes[page.nodes[1].opacityMask];
    EXPECT_EQ(mask.kind, Brush::Visual);
    EXPECT_EQ(mask.visual, 1);
}

// Each bad page fails with a message naming the element.
TEST(PageModel, RefusesBadPagesNamingTheElement)
{
    struct Case {
        std::function<void(Feeder&, ModelBuilder&)> feed;
        const char* error;
    };
    ModelLimits small;
    small.maxDepth = 5;
    small.maxSegmentsPerPage = 3;
    small.maxAttributeBytes = 64;
    std::vector<Case> cases = {
        {[](Feeder& f, ModelBuilder&) { f.Element("Canvas", {}); },
         "Canvas: the page must begin with a FixedPage element"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}});
         },
         "FixedPage: Height is missing"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] { f.Element("Ellipse", {}); });
         },
         "Ellipse: not an element of a fixed page"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Canvas", {}, [&] {
                     f.Element("Canvas.Resources", {}, [&] {
                         f.Element("ResourceDictionary", {}, [&] {
                             f.Element("SolidColorBrush", {{"x:Key", "inner"}, {"Color", "#000000"}});
                         });
                     });
                 });
                 f.Element("Path", {{"Fill", "{StaticResource inner}"}, {"Data", "M 0,0 L 1,1"}});
             });
         },
         "Path: Fill: no brush resource 'inner'"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Path", {{"Data", "M 0,0 L 1,1 2,2 3,3 4,4"}, {"Fill", "#000000"}});
             });
         },
         "Path: the page has more than 3 path segments"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Canvas", {}, [&] {
                     f.Element("Canvas", {}, [&] {
                         f.Element("Canvas", {}, [&] { f.Element("Canvas", {}, [&] { f.Element("Canvas", {}); }); });
                     });
                 });
             });
         },
         "Canvas: elements nested more than 5 deep"},
        {[](Feeder& f, ModelBuilder& b) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 b.StartElement("Canvas");
                 b.StartElement("Path");
                 b.EndElement("");
                 b.Attribute("Opacity", "1");
             });
         },
         "Canvas: attribute Opacity after the children"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Glyphs", {{"FontUri", "/missing.ttf"},
                                      {"FontRenderingEmSize", "10"},
                                      {"OriginX", "0"},
                                      {"OriginY", "0"},
                                      {"Indices", "12"}});
             });
         },
         "Glyphs: font /missing.ttf: the part could not be had"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Path", {{"Data", "M 0,0 L 1,1"}}, [&] {
                     f.Element("Path.Fill", {}, [&] { f.Element("MatrixTransform", {{"Matrix", "1,0,0,1,0,0"}}); });
                 });
             });
         },
         "Path.Fill: holds the wrong kind of value"},
        {[](Feeder& f, ModelBuilder& b) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 b.StartElement("Path");
                 b.Attribute("Data", "M 0,0" + std::string(70, 'L'));
             });
         },
         "Path: Data is longer than 64 bytes"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Path", {{"Data", "M 0,0 L 1,1"}}, [&] {
                     f.Element("Path.Fill", {}, [&] {
                         f.Element("ImageBrush",
                                   {{"ImageSource", "/gone.png"}, {"Viewbox", "0,0,1,1"}, {"Viewport", "0,0,1,1"}});
                     });
                 });
             });
         },
         "ImageBrush: image /gone.png: the image callback could not deliver it"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("FixedPage.Resources", {}, [&] {
                     f.Element("ResourceDictionary", {}, [&] {
                         f.Element("SolidColorBrush", {{"x:Key", "solid"}, {"Color", "#000000"}});
                         f.Element("VisualBrush", {{"x:Key", "v"},
                                                   {"Visual", "{StaticResource solid}"},
                                                   {"Viewbox", "0,0,1,1"},
                                                   {"Viewport", "0,0,1,1"}});
                     });
                 });
             });
         },
         "VisualBrush: Visual: no visual resource 'solid'"},
        {[](Feeder& f, ModelBuilder&) {
             f.Element("FixedPage", {{"Width", "10"}, {"Height", "10"}}, [&] {
                 f.Element("Path", {{"Data", "M 0,0 L 1,1"}}, [&] {
                     f.Element("Path.Fill", {}, [&] {
                         f.Element("VisualBrush",
                                   {{"Viewbox", "0,0,1,1"}, {"Viewport", "0,0,1,1"}, {"TileMode", "Spiral"}});
                     });
                 });
             });
         },
         "VisualBrush: TileMode: 'Spiral'"},
    };
    for (Case& c : cases) {
        FakeResources resources;
        ModelBuilder builder(&resources, small);
        Feeder feeder(&builder);
        c.feed(feeder, builder);
        EXPECT_TRUE(builder.Failed()) << c.error;
        EXPECT_EQ(builder.Error(), c.error);
        // Once failed, every later call is refused.
        EXPECT_FALSE(builder.StartElement("Canvas"));
    }
}

}  // namespace
}  // namespace tav::render
