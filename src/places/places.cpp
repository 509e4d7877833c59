// Placeholder translation unit so the library exists before its modules land.
namespace meridia::places {}
