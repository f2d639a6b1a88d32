#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <climits>
#include <iostream>

#include "cli/input_files.h"
#include "cli/numbers.h"
#include "cli/palette_file.h"
#include "cli/picture_file.h"
#include "cli/replacement_file.h"

const char kProgramName[] = "palvane2-cli";

namespace {

constexpr unsigned long kMaxId = 65535;
constexpr unsigned long kMaxFrame = INT_MAX;
constexpr unsigned long kMaxJobs = 256;

CLI::Validator Decimal(unsigned long max) {
    const std::string range = "0.." + std::to_string(max);
    return CLI::Validator(
        [max, range](std::string& text) -> std::string {
            if (ParseDecimal(text, max)) return std::string();
            return "\"" + text + "\" is not a decimal number in " + range;
        },
        std::string());
}

CLI::Validator Scale() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (ParseDecimal(text, kMaxPictureScale).value_or(0) >= 1) return std::string();
            return "\"" + text + "\" is not a decimal number in 1.." +
                   std::to_string(kMaxPictureScale);
        },
        std::string());
}

CLI::Validator Colour() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (ParseRgbHex(text)) return std::string();
            return "\"" + text + "\" is not a colour of six hex digits RRGGBB";
        },
        std::string());
}

// The values as typed; converted once parsing and validation have passed.
struct RawValues {
    std::string sprite, palette, frame, background, jobs, scale;
};

void UsageError(const std::string& message) {
    std::cerr << kProgramName << ": " << message << "\nRun with --help for more information.\n";
}

// Rules CLI11 cannot express: where an output path may go, and what its name must say.
bool CheckOutputs(const CommandLine& cmd) {
    if (cmd.output && cmd.files.size() != 1) {
        UsageError("--output needs exactly one FILE");
        return false;
    }
    if (cmd.output && IsFolder(cmd.files.front())) {
        UsageError("--output needs a FILE, not a folder");
        return false;
    }
    if (cmd.transparent && !IsPngName(cmd.outBmp)) {
        UsageError("--transparent needs an --out name ending in .png");
        return false;
    }
    if (cmd.command == Command::palette && !PaletteFormatOf(cmd.outBmp)) {
        UsageError("--out: \"" + cmd.outBmp + "\" ends in none of .gpl, .pal, .png");
        return false;
    }
    if (cmd.command == Command::overview && cmd.outBmp.empty()) {
        UsageError("--out: the folder's name is empty");
        return false;
    }
    std::vector<std::string> outputs;
    if (cmd.output) outputs.push_back(*cmd.output);
    if (cmd.command == Command::palette) outputs.push_back(cmd.outBmp);
    if (cmd.command == Command::render) {
        outputs.push_back(cmd.outBmp);
        if (cmd.depthBmp) outputs.push_back(*cmd.depthBmp);
        if (cmd.alphaBmp) outputs.push_back(*cmd.alphaBmp);
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::string& out = outputs[i];
        if (out.empty()) {
            UsageError("an output path is empty");
            return false;
        }
        if (IsSameFile(out, cmd.files.front())) {
            UsageError("\"" + out + "\" is FILE itself, which this command never overwrites");
            return false;
        }
        for (size_t j = 0; j < i; ++j)
            if (out == outputs[j] || IsSameFile(out, outputs[j])) {
                UsageError("\"" + out + "\" is given for two outputs");
                return false;
            }
    }
    return true;
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, const char* const* argv, CommandLine& cmd) {
    CLI::App app{"Inspects IFF resource files and re-assigns the palettes of their sprites.",
                 kProgramName};
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string(kProgramName) + ": " + e.what() +
               "\nRun with --help for more information.\n";
    });
    app.set_version_flag("--version", std::string(kProgramName) + " " PALVANE_VERSION,
                         "Print the version and exit");
    app.require_subcommand(1);

    RawValues raw;
    const auto addFile = [&](CLI::App* sub) {
        sub->add_option("FILE", cmd.files, "The IFF file")->required()->expected(1);
    };
    const auto addFiles = [&](CLI::App* sub) {
        sub->add_option("FILE", cmd.files,
                        "The IFF files, each processed on its own; a folder stands for every "
                        "*.iff file below it")
            ->required();
        sub->add_option("-j,--jobs", raw.jobs,
                        "Work on N files at once (default: one per processor)")
            ->type_name("N")
            ->check(Decimal(kMaxJobs));
        sub->add_flag("--quiet", cmd.quiet, "No progress line on a terminal");
    };
    const auto addDryRun = [&](CLI::App* sub) {
        sub->add_flag("--dry-run", cmd.dryRun,
                      "Do everything up to the save and say what would be saved; write nothing");
    };
    const auto addOutput = [&](CLI::App* sub) {
        sub->add_option("--output", cmd.output,
                        "Save to PATH instead of in place, leaving FILE as it was (one FILE only)")
            ->type_name("PATH");
    };
    const auto addSprite = [&](CLI::App* sub) {
        sub->add_option("--sprite", raw.sprite, "ID of the SPR2 chunk (0..65535)")
            ->required()
            ->type_name("ID")
            ->check(Decimal(kMaxId));
    };
    const auto addScale = [&](CLI::App* sub, const char* help) {
        sub->add_option("--scale", raw.scale, help)->type_name("N")->check(Scale());
    };
    const auto addPalette = [&](CLI::App* sub, const char* help) {
        sub->add_option("--palette", raw.palette, help)
            ->required()
            ->type_name("ID")
            ->check(Decimal(kMaxId));
    };

    CLI::App* info = app.add_subcommand(
        "info", "Print what FILE holds (chunks, palettes, sprites and their frames) as JSON.");
    addFile(info);

    CLI::App* render = app.add_subcommand(
        "render",
        "Draw one frame of a sprite in its palette's colours into a 24-bit BMP, and its depth "
        "and alpha planes into 8-bit BMPs if asked; a name ending in .png gets a PNG instead.");
    addFile(render);
    addSprite(render);
    render->add_option("--frame", raw.frame, "Frame number, from 0")
        ->required()
        ->type_name("N")
        ->check(Decimal(kMaxFrame));
    render->add_option("--out", cmd.outBmp, "Where to write the colour bitmap")
        ->required()
        ->type_name("OUT.bmp|OUT.png");
    render->add_option("--background", raw.background, "Background colour (default F0F0F0)")
        ->type_name("RRGGBB")
        ->check(Colour());
    render->add_option("--depth", cmd.depthBmp, "Also write the depth plane there")
        ->type_name("DEPTH.bmp|DEPTH.png");
    render->add_option("--alpha", cmd.alphaBmp, "Also write the alpha plane there")
        ->type_name("ALPHA.bmp|ALPHA.png");
    render->add_flag("--transparent", cmd.transparent,
                     "Give the colour PNG the alpha plane as its alpha: what the frame does "
                     "not draw is transparent");
    addScale(render, "Enlarge every picture N times, each pixel an N x N square (1..16)");

    CLI::App* quick = app.add_subcommand(
        "quick-patch",
        "Give every frame of every sprite the invalid palette ID 41891, so that each is drawn "
        "with its sprite's common palette, and save.");
    addFiles(quick);
    addOutput(quick);
    addDryRun(quick);

    CLI::App* manual = app.add_subcommand(
        "manual-patch", "Give every frame of every sprite the palette ID --palette, and save.");
    addPalette(manual, "The palette ID to write into every frame (0..65535)");
    addFiles(manual);
    addOutput(manual);
    addDryRun(manual);

    CLI::App* setPalette = app.add_subcommand(
        "set-palette",
        "Set one sprite's common palette ID (--common), one of its frames' own palette ID "
        "(--frame N) or that of all its frames (--all-frames), and save.");
    addFile(setPalette);
    addSprite(setPalette);
    addPalette(setPalette, "The palette ID to write (0..65535)");
    CLI::Option* common =
        setPalette->add_flag("--common", cmd.common, "Change the sprite-wide palette ID");
    CLI::Option* frame = setPalette->add_option("--frame", raw.frame, "Change frame N's palette ID")
                             ->type_name("N")
                             ->check(Decimal(kMaxFrame));
    CLI::Option* allFrames =
        setPalette->add_flag("--all-frames", cmd.allFrames, "Change every frame's palette ID");
    common->excludes(frame);
    allFrames->excludes(common)->excludes(frame);
    addOutput(setPalette);
    addDryRun(setPalette);

    CLI::App* resave = app.add_subcommand(
        "resave", "Save each FILE without changes: a version 2.5 container with a fresh map.");
    addFiles(resave);
    addOutput(resave);
    addDryRun(resave);

    CLI::App* check = app.add_subcommand(
        "check",
        "Tell what stands in the way of patching, file by file, writing nothing: frames that "
        "cannot be drawn, frames whose palette does not exist, sprites that do not decode, "
        "palettes that cannot be used. Exit status 1 when anything is found.");
    addFiles(check);
    check->add_flag("--json", cmd.json, "One JSON object per file, one per line");

    CLI::App* palette = app.add_subcommand(
        "palette",
        "Write the 256 colours of palette --id as a GIMP palette (.gpl), a JASC palette (.pal) "
        "or a 16 x 16 swatch picture (.png), by the name of --out.");
    addFile(palette);
    palette->add_option("--id", raw.palette, "ID of the PALT chunk (0..65535)")
        ->required()
        ->type_name("ID")
        ->check(Decimal(kMaxId));
    palette->add_option("--out", cmd.outBmp, "Where to write the palette")
        ->required()
        ->type_name("OUT.gpl|OUT.pal|OUT.png");
    addScale(palette, "Enlarge the swatch picture N times (1..16)");

    CLI::App* overview = app.add_subcommand(
        "overview",
        "Write an HTML page of every file's palettes, sprites and frames, with check's findings, "
        "into the folder --out (index.html and what it shows), writing nothing else. Exit status "
        "1 when anything is found.");
    addFiles(overview);
    overview->add_option("--out", cmd.outBmp, "The folder for the pages and pictures")
        ->required()
        ->type_name("DIR");

    try {
        app.parse(argc, argv);
        if (setPalette->parsed() && !cmd.common && !cmd.allFrames && raw.frame.empty())
            throw CLI::ValidationError("set-palette", "needs --common, --frame N or --all-frames");
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (info->parsed()) cmd.command = Command::info;
    if (render->parsed()) cmd.command = Command::render;
    if (quick->parsed()) cmd.command = Command::quickPatch;
    if (manual->parsed()) cmd.command = Command::manualPatch;
    if (setPalette->parsed()) cmd.command = Command::setPalette;
    if (resave->parsed()) cmd.command = Command::resave;
    if (check->parsed()) cmd.command = Command::check;
    if (palette->parsed()) cmd.command = Command::palette;
    if (overview->parsed()) cmd.command = Command::overview;

    // The validators have accepted these, so each conversion succeeds.
    if (!raw.sprite.empty()) cmd.spriteId = static_cast<WORD>(*ParseDecimal(raw.sprite, kMaxId));
    if (!raw.palette.empty()) cmd.paletteId = static_cast<WORD>(*ParseDecimal(raw.palette, kMaxId));
    if (!raw.frame.empty()) cmd.frame = static_cast<int>(*ParseDecimal(raw.frame, kMaxFrame));
    if (!raw.background.empty()) cmd.background = *ParseRgbHex(raw.background);
    if (!raw.jobs.empty()) {
        cmd.jobs = static_cast<unsigned>(*ParseDecimal(raw.jobs, kMaxJobs));
        if (cmd.jobs == 0) {
            UsageError("--jobs: 0 files at once would never finish");
            return 2;
        }
    }
    if (!raw.scale.empty())
        cmd.scale = static_cast<int>(*ParseDecimal(raw.scale, kMaxPictureScale));

    if (!CheckOutputs(cmd)) return 2;
    return std::nullopt;
}
