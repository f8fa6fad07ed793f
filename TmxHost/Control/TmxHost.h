// The host platform's own API: set up, steer and observe the platform that the call common
// service runs on. Used by tests, tools and examples; the library never includes it.
//
// The host is single-threaded, like the library: platform calls, timer expiries and these
// functions all come from one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct tagWMBITMAP;

namespace tmxhost {

// ---- Lifecycle -----------------------------------------------------------------------------

// A fresh platform: empty logs and heap table, a new temporary data root, default NV items,
// status values and features, no faults, the virtual clock at 0 with no timers, no open files,
// everything recorded.
void Reset();

// ---- Recording -----------------------------------------------------------------------------

// What the host keeps for an observer: trace lines (Traces) and platform calls (Calls). Reset
// records everything, as tests expect. A program that reads neither records nothing: a trace
// line is then formatted only when its channel is printed, and a call's arguments are never
// turned into text. Fault injection, assertion reports and the heap table work either way.
enum RecordWhat : unsigned {
    kRecordNothing = 0,
    kRecordTraces = 1,
    kRecordCalls = 2,
    kRecordAll = kRecordTraces | kRecordCalls,
};
void SetRecording(unsigned what);
unsigned GetRecording();

// ---- Data root -----------------------------------------------------------------------------

// Folder that holds the platform's files (registry files, databases).
std::string DataRoot();
// Uses `path` as the data root, creating it if needed. False (with a message) when it cannot.
bool SetDataRoot(const std::string& path, std::string* error = nullptr);
// The root a program uses by default: $TMXHOST_DATA_ROOT, else $XDG_DATA_HOME/callsvc, else
// ~/.local/share/callsvc.
std::string DefaultDataRoot();

// ---- Traces --------------------------------------------------------------------------------

struct Trace {
    unsigned channel;
    std::string text;
};

// Every SysDebugPrintf line since the last Reset (the oldest are dropped past a million).
const std::vector<Trace>& Traces();
std::vector<Trace> TakeTraces();
// True when a recorded line equals `text` (and, unless 0, came on `channel`).
bool HasTrace(std::string_view text, unsigned channel = 0);
// Chooses the channels printed as they come: a comma-separated list of channel words
// ("0xBA,0x200E6", decimal or hex), "all", or "" for none. The initial choice comes from
// $TMXHOST_TRACE; lines go to stderr, or to the file named by $TMXHOST_TRACE_FILE.
bool SetTracePrint(std::string_view channels, std::string* error = nullptr);

// ---- Assertion reports ---------------------------------------------------------------------

struct Report {
    int kind;
    std::string kindName;
    std::string expression;
    std::string path;
    int line;
    std::string detail;  // the message saved with _SysSaveAssertMsg just before, if any
};

const std::vector<Report>& Reports();
std::vector<Report> TakeReports();

// ---- Heap ----------------------------------------------------------------------------------

struct Block {
    const void* address;
    std::size_t size;
    std::string path;
    int line;
};

// Live blocks of the platform heap, oldest first.
std::vector<Block> LiveBlocks();
// Frees that were refused: unknown or already freed blocks, as "path:line".
const std::vector<std::string>& BadFrees();

// ---- Phone settings ------------------------------------------------------------------------

void SetNvInt(int item, int value);
void SetNvString(int item, const std::string& value);
void SetPhoneStatus(int id, int value);
void SetDeviceInserted(int id, bool inserted);
void SetFeature(const std::string& name, bool enabled);
// Status of a platform module; module 2 (the heap) runs by default.
void SetModuleStatus(int module, int status);
bool IsClassRegistered(unsigned classId);

// ---- Call log ------------------------------------------------------------------------------

// One platform call: its name and scalar arguments as text (strings quoted, null as NULL).
// Traces, reports, the heap, the module-status query and the bounded Ac* operations are not
// logged here.
struct Call {
    std::string name;
    std::vector<std::string> args;
    long long time;            // host clock when the call was made
    std::string Text() const;  // e.g. RegLoad("CallReg.ini", 0)
};

const std::vector<Call>& Calls();
// The calls as text, optionally only those whose names are in `names`.
std::vector<std::string> CallTexts(const std::vector<std::string>& names = {});
void ClearCalls();

// ---- Fault injection -----------------------------------------------------------------------

// From the `nth` next call of `function` on (1 = the very next), `times` calls (-1: every
// call) return `result` without doing their work. A null pointer is result 0.
void FailCall(const std::string& function, long long result, int nth = 1, int times = 1);
void ClearFaults();

// ---- Clock and timers ----------------------------------------------------------------------

// Milliseconds since Reset on the host clock. Timer periods are in milliseconds; a period of 0
// waits one.
long long Now();
// Virtual clock: moves time forward by `ms`, firing due timers in time order (then in order of
// arming) on this thread. Timers armed by a callback fire within the same advance when due.
void Advance(long long ms);
// Switches to real time: Now() follows the steady clock and RunFor sleeps.
void UseRealTime(bool realTime);
// Real time: sleeps `ms`, firing timers as they fall due. Virtual time: same as Advance.
void RunFor(long long ms);

struct TimerView {
    int handle;
    std::string name;
    bool hard;
    bool armed;
    long long due;  // when armed
};
std::vector<TimerView> Timers();  // live platform timers, by handle

// ---- Local time ----------------------------------------------------------------------------

// Sets the local time (seconds since 1970-01-01 on the local wall clock) at this moment; it then
// moves with the host clock. Reset starts it at the real local time.
void SetLocalTime(long long seconds);

// ---- Registry files ------------------------------------------------------------------------

int OpenRegistryHandles();

struct RegistryEntry {
    std::string section;
    std::string key;
    std::string value;
};
// The contents of a registry file under the data root, in file order. False when the file
// cannot be read; damaged lines are skipped as RegLoad skips them.
bool ReadRegistry(const std::string& path, std::vector<RegistryEntry>& entries);
// The file's full path under the data root.
std::string RegistryPath(const std::string& path);
// The backups that RegClean kept since the last call (full paths of "<file>.bak"). RegClean
// moves a file aside rather than deleting it, so a program can tell its user where it is.
std::vector<std::string> TakeRegistryBackups();

// ---- Telephony -----------------------------------------------------------------------------

// A call of the host's call model. States: "dialing", "incoming", "active", "held", "released".
struct CallView {
    int handle;
    std::string number;
    std::string state;
    bool incoming;
    bool multiparty;  // part of a conference
};

// Calls not yet destroyed, by handle.
std::vector<CallView> CallsInProgress();
// A call arriving from `number`, in state "incoming"; returns its handle.
int IncomingCall(const std::string& number);
// The remote party answers an outgoing call this long after TapiSetupCall (default 1000 ms;
// negative: never).
void SetAnswerDelay(long long ms);
// Called when the network changes a call on its own (remote answer, incoming call).
void SetCallListener(std::function<void(const CallView& call)> listener);

// DTMF acknowledgements, delivered on the clock the way a modem answers: `started` after an
// accepted TapiStartDTMF, `stopped` after an accepted TapiStopDTMF.
struct DtmfListener {
    std::function<void(int hCall, char digit)> started;
    std::function<void(int hCall)> stopped;
};
void SetDtmfListener(DtmfListener listener);
// Delay of each acknowledgement (default 100 ms).
void SetDtmfAckDelay(long long ms);
// The digits whose tones were started, in order.
std::string DtmfSent();

// Call forwarding: calls are forwarded to `number` ("" for not forwarded, the default). An
// accepted TapiCallForwardQueryStatusReq is answered to the listener after the acknowledgement
// delay.
struct ForwardingAnswer {
    int reason;
    int serviceClass;
    bool active;
    std::string number;
};
void SetCallForwarding(const std::string& number);
void SetForwardingListener(std::function<void(const ForwardingAnswer&)> listener);

// The serving network's MCC and MNC, plain numbers (default 0 and 0).
void SetNetwork(int mcc, int mnc);
// SIM card type: 0 GSM (default), 1 USIM, anything else an unknown card.
void SetSimCardType(int cardType);
// The SIM's emergency numbers: on a GSM SIM the first five fill its five 7-byte fields (six
// characters each at most), on a USIM each is a 64-byte record with the number at byte 4. The
// record count reported is their number, or `reportedCount` when it is not negative; the
// records behind any reported count (up to 255) are present, empty beyond the numbers given.
void SetSimEccNumbers(const std::vector<std::string>& numbers, int reportedCount = -1);

// The SIM's (GSM) and the USIM's service tables: sets the 32-bit word at `byteOffset` (a
// multiple of 4 inside the 256-byte table). All words start at 0.
void SetSstWord(int byteOffset, std::uint32_t value);
void SetUstWord(int byteOffset, std::uint32_t value);
// What SimAtkCheckCallControlCapability(kind) answers (default 0 for every kind).
void SetSimCallControlCapability(int kind, int result);

// Result returned by a telephony call that has no model of its own yet (default 1).
void SetTapiResult(const std::string& function, int result);

// ---- Contacts ------------------------------------------------------------------------------

// The contacts database: in memory after Reset, or a SQLite file chosen here ("" for a fresh
// in-memory one). A file that cannot be opened (missing and not to be created, not a contacts
// database, locked) leaves the service without a database: every query then fails. A file
// opened with `create` is switched to write-ahead logging, so that other processes go on
// reading the old book while an import writes the new one.
bool UseContactsFile(const std::string& path, bool create, std::string* error = nullptr);
// How long opening the file and each query wait for a database locked by another process
// (default 0 ms).
void SetContactsBusyTimeout(int ms);
// How many trailing digits the service compares (default 8; 0 or less: all). A number with
// fewer digits than that matches only a stored number of exactly the same digits.
void SetDigitsToCompare(int digits);

// What keeps the contacts file from being used.
enum class ContactsProblem {
    kNone,
    kMissing,   // no such file (and not to be created)
    kLocked,    // another process holds a lock longer than the busy timeout
    kDamaged,   // not a database, or a corrupt one
    kForeign,   // a database of something else, or of an unknown version
    kUnusable,  // anything else: permissions, I/O errors, a folder
};
// The problem met by the last UseContactsFile, else the first one a query or a change met on
// that file since; kNone when there was none. `message` names the file and the cause.
ContactsProblem LastContactsProblem(std::string* message = nullptr);

struct ContactNumber {
    std::string number;
    int type = 0;  // phone type, copied through
};

// One person of a contact, with what the contact shows of it.
struct Contact {
    std::string firstName;
    std::string lastName;
    std::string image;
    int storage = 1;  // 1 the phone's memory, 2 the SIM
    std::vector<ContactNumber> numbers;
    std::vector<std::string> emails;
    std::vector<int> groups;  // memberships of its contact, in order
    // Etc data, stored (even when empty) when present: ringtone 1, vibration 24, DTMF 30.
    std::optional<std::string> ringtone;
    std::optional<std::string> vibration;
    std::optional<std::string> dtmf;
    int year = 0;  // 0: no date (stored as the service's 1899)
    int month = 0;
    int day = 0;
    bool representative = true;  // the person that stands for its contact
};

struct Group {
    int id;
    std::string name;
    std::string ringtone;
    std::string vibration;
};

// Each returns the new ID, or 0 when the database refused it.
int AddGroup(const Group& group);
// A new contact (primary record) holding this one person.
int AddContact(const Contact& contact);
// One more person of an existing contact; returns its person index.
int AddPerson(int primaryId, const Contact& person);
int AddFdn(const std::string& name, const std::string& number);
int AddSdn(const std::string& name, const std::string& number);
// Removes a contact with its persons, numbers, e-mails, etc data and memberships.
bool DeleteContact(int primaryId);

struct ContactsCount {
    int contacts;
    int numbers;
    int groups;
    int fdn;
    int sdn;
};
ContactsCount CountContacts();

// Replaces the address book with a JSON document ("groups", "contacts", "fdn", "sdn"; see the
// README). All or nothing: on an error, which names the offending key, nothing changes. The
// document is read as a stream, one entry at a time, in a single transaction.
bool ImportContacts(const std::string& json, std::string* error = nullptr);
bool ImportContacts(std::istream& json, std::string* error = nullptr);
// Replaces the address book with `count` synthetic contacts, contact i having the number
// GeneratedNumber(i) and, every fourth one aside, a membership in one of three groups.
bool GenerateContacts(int count, std::string* error = nullptr);
std::string GeneratedNumber(int i);
// ---- Display, keys and sensors -------------------------------------------------------------

// Key codes that KeyIsTouchCoverKey answers 1 for (none by default).
void SetTouchCoverKey(int keyCode, bool touchCover);
// SysIsLcdHorizontal and FlipIsOpened answers (default false: vertical, flip closed).
void SetLcdHorizontal(bool horizontal);
void SetFlipOpened(bool opened);
// Registered G-sensor event handlers and the applications whose motion detection runs.
struct GSensorView {
    std::vector<int> handlers;
    std::vector<int> motionApps;
};
GSensorView GSensor();
// TmGetElapsedTime answers the host clock, Now().

// ---- Sound-state manager and audio callers --------------------------------------------------

// The command the manager sends with a grant.
constexpr int kSoundCommandStart = 1;

// Sets a priority's sound type and state as another application holding it would (state 3:
// playing or connected, 0: none). A later registration keeps the type.
void SetSoundState(int priority, int type, int state);
int GetSoundState(int priority);
bool IsSoundCallbackRegistered(int priority);
// A registration grants the sound (state 3) and calls the callback with the priority's type and
// kSoundCommandStart: during the registration (0, the default) or this many ms later on the
// clock. A grant still due is dropped when the priority is unregistered or registered again.
void SetSoundGrantDelay(long long ms);
// Calls the callback registered for `priority` as the manager does; false when there is none.
bool SendSoundCommand(int priority, int type, int cmd);

// Audio callers created by AvCreateCaller and not yet deleted, with what was applied to them.
struct AudioCallerView {
    int handle;
    int priority;
    int path;
    int mute;
    int rxMute;
    int whisper;
    int volume;  // left volume of the last call-volume record
};
std::vector<AudioCallerView> AudioCallers();

// ---- Application framework ------------------------------------------------------------------

// Running LED blinks and vibrations, by handle.
struct LedView {
    int handle;
    int led;
    int setting;
    int onTime;
    int offTime;
    int count;  // -1: until cleared
};
std::vector<LedView> LedBlinks();
struct VibrationView {
    int handle;
    int level;
    int onTime;
    int offTime;
    int count;  // -1: until stopped
};
std::vector<VibrationView> Vibrations();

// The last backlight request of each display.
struct BacklightView {
    int lcdType;
    int onTime;  // -1: always on
    int dimTime;
};
std::vector<BacklightView> Backlights();

// What AmGetNotifyStateByScreen(screen, item) answers (default 0).
void SetNotifyState(int screen, int item, int state);

// Effect sounds by type, as the players and AppSndStopEffectSound left them.
struct EffectView {
    int type;
    int soundType;  // -1 when played without one
    bool playing;
    int repeatMode;  // 0 once, 3 repeat
    int path;
    int volume;
    bool vibrate;
};
std::vector<EffectView> Effects();
// Effect-sound player objects handed out by AppSndQueryInterface and not yet released.
int EffectPlayers();
// How long an effect played once lasts before its completion callback (default 1000 ms).
void SetEffectDuration(long long ms);

// ---- Graphics ------------------------------------------------------------------------------
//
// The screen is RGB565, 240 x 320 after Reset. Windows sit on it at a rectangle and have pixels
// of their own (RGB565, filled with the window's background colour when made); nothing reaches
// the screen until a GC is shown (or ShowWindow). Handles of windows, GCs and text objects come
// from one series and are never reused.
//
// GCs. Window sub-GCs and client sub-GCs (the client area is the whole window) are views: they
// draw into their window's pixels, clipped to their rectangle and the window. Window memory GCs
// (RGB565, the window's size), window sub-memory GCs, overlay GCs (the window's size) and screen
// sub-GCs (16 or 32 bits per pixel as asked) have pixels of their own, ARGB unless stated, placed
// at their rectangle. A new GC is cleared to its background colour. Until a GC is given its own
// colours, opacities or replacement colour it uses its window's, which start as white on black,
// opaque, without replacement. Opacity levels run from 0 (invisible) to 255 (opaque); other
// values are clamped. Destroying a window deletes its GCs.
//
// Drawing is clipped to the GC. 16-bit bitmaps are copied (blended when the foreground opacity
// is below 255); 32-bit bitmaps hold premultiplied 0xAARRGGBB words and are blended by their
// alpha; with a replacement colour they are painted in that colour (its low 24 bits) through
// their alpha. WmDrawRect outlines in the foreground colour; WmClearGC fills with the background
// colour, whose alpha (WmSetBgColor32's top byte, opaque for WmSetBgColor) is scaled by the
// background opacity. _WmCaptureBitmap always gives RGB565; the parts of its rectangle outside
// the GC read as black.
//
// _WmShowGC(h, 1) brings the GC's rectangle to the screen:
//   - a view copies its part of the window;
//   - a GC with pixels of its own on a window shows the window's pixels at its place with the GC
//     composed over them: overlay mode 1 (and no mode) blends each pixel by its alpha; mode 2
//     shows a pixel wholly when its alpha is at least 128 and not at all below that. Opaque
//     pixels come through unchanged in both modes;
//   - a screen sub-GC is composed the same way over what the screen shows.
// Whatever falls outside the screen is dropped.
//
// Text objects are shaped with HarfBuzz and drawn anti-aliased with FreeType in DejaVu Sans
// (found through fontconfig; characters it lacks come from the best fontconfig fallback).
// Font ids give pixel sizes: 0 = 12, 1 = 16 (new texts), 2 = 20, 3 = 24, 4 = 32; other ids use 16.
// Alignment flags: 0 top-left, 0x001 centred horizontally, 0x002 right, 0x200 centred vertically,
// 0x400 bottom (0x201: centred both ways). Wrap modes: 0 one line per '\n'-separated paragraph,
// 1 breaks anywhere, 2 breaks at spaces (a word longer than the box breaks anywhere). The action
// is kept and has no visible effect. Text that does not fit is clipped at the box.

constexpr int kDefaultScreenWidth = 240;
constexpr int kDefaultScreenHeight = 320;

// A black screen of this size (1 to 4096 pixels each way); false when out of range.
bool SetScreenSize(int width, int height);
// A window at {x, y, width, height} on the screen; -1 when the size is not 1 to 4096.
int CreateWindow(int x, int y, int width, int height);
bool DestroyWindow(int hWindow);
// Copies the whole window to the screen.
bool ShowWindow(int hWindow);
// RGB565 of a screen or window pixel; 0 outside.
std::uint16_t ScreenPixel(int x, int y);
std::uint16_t WindowPixel(int hWindow, int x, int y);
bool SaveScreenPng(const std::string& path, std::string* error = nullptr);

struct WindowView {
    int handle;
    int x, y, width, height;
};
std::vector<WindowView> Windows();
struct GCView {
    int handle;
    int window;        // -1 for a screen sub-GC
    std::string kind;  // "window-sub", "client-sub", "memory", "sub-memory", "overlay", "screen"
    int x, y, width, height;
    int overlayMode;  // 0 when none was set
};
std::vector<GCView> GCs();
int TextObjects();
// Bitmaps made by the host (captures, decoded images) and not yet freed.
struct BitmapView {
    const tagWMBITMAP* bitmap;
    int width, height, bitsPerPixel;
};
std::vector<BitmapView> Bitmaps();

// Image files for the host's own use: PNG (alpha kept: 32 bits per pixel), JPEG and GIF (first
// frame; 32 bits when it has a transparent colour), each side at most 4096 pixels. Opaque images
// give RGB565. The bitmap is on the platform heap; free it with FreeBitmap (or _WmFreeBitmap).
tagWMBITMAP* DecodeImage(const void* data, std::size_t size, std::string* error = nullptr);
tagWMBITMAP* LoadImage(const std::string& path, std::string* error = nullptr);
void FreeBitmap(tagWMBITMAP* bitmap);
// Writes a bitmap (16 or 32 bits per pixel) as PNG.
bool SaveBitmapPng(const tagWMBITMAP* bitmap, const std::string& path,
                   std::string* error = nullptr);

// ---- Live window ---------------------------------------------------------------------------
//
// A desktop window (SDL2) showing the host screen scaled up, with nearest-pixel scaling. It
// only shows what the screen holds and adds nothing of its own. One live window at a time.
// Keys handed to the listener: '0' to '9', '*', '#', '\n' for Enter and '\x1b' for Escape.

constexpr char kKeyEnter = '\n';
constexpr char kKeyEscape = '\x1b';

// Opens the window, `scale` times the screen's size. False with SDL's message when SDL has no
// video driver or the window cannot be made (SDL_VIDEODRIVER chooses the driver).
bool OpenLiveWindow(const std::string& title, int scale, std::function<void(char key)> onKey,
                    std::string* error = nullptr);
// Presents the screen's current pixels, then handles pending events (keys go to the listener).
// False once the window has been closed, or when none is open.
bool PumpLiveWindow();
// What the window shows, read back as RGB565 row by row; false with no window.
bool LiveWindowPixels(std::vector<std::uint16_t>& pixels, int& width, int& height);
void CloseLiveWindow();

// ---- Media: images and the video player ----------------------------------------------------
//
// Image files (ImgDecodeFileEx, ImgGetImageInfo, ImgGetScaledImageFileEx) are PNG, JPEG, GIF
// and WebP, decoded whole and refused beyond kMaxImagePixels decoded pixels before anything is
// allocated. Video files are whatever FFmpeg's libraries open that have a video stream.
//
// A started player plays on the host clock: each frame that falls due is decoded, converted to
// RGB565, drawn into its overlay GC and shown. The audio track is not played; the volume and
// mute applied to the player are what the host records.

constexpr long long kMaxImagePixels = 16LL * 1024 * 1024;

// ImgGetScaledImageFileEx fits the image inside its box. For a test of a caller's checks, this
// makes it return bitmaps of `width` x `height` whatever the box, as a platform that does not fit
// them would; 0 x 0 (and Reset) restores fitting.
void SetScaledImageSize(int width, int height);

// Player states as the player reports them to its listener.
enum class PlayerEvent { kCreated, kPlaying, kStopped, kError };
// Called on the host clock as a player changes state; an application maps these to the states
// it reports to the library.
void SetPlayerListener(std::function<void(int hPlayer, PlayerEvent event)> listener);

struct PlayerView {
    int handle;
    std::string path;
    std::string state;  // "created", "playing", "stopped", "ended", "error"
    long long positionMs;
    int volumeLevel;  // left volume of the last volume record, -1 before any
    int volumeFlag;   // word 0 of that record
    bool muted;
    int repeat;  // AvSetPlayerRepeat's count; -1 forever
    int soundPath;
    int presetId;
    int gc;
    int framesShown;  // frames drawn into the overlay GC since the start
};
// Players created and not yet deleted, by handle.
std::vector<PlayerView> Players();

// Writes a short test video with libavcodec (MPEG-4 part 2; MP4, or AVI for a ".avi" path):
// frame i is filled with colors[i % colors.size()] (0xRRGGBB; red, green, blue when empty),
// with a silent audio track when `audio` is set. False (with a message) when it cannot.
struct VideoClip {
    int width = 64;
    int height = 48;
    int fps = 10;
    int frames = 30;
    bool audio = false;
    std::vector<std::uint32_t> colors;
};
bool WriteVideo(const std::string& path, const VideoClip& clip, std::string* error = nullptr);

// ---- Flash engine --------------------------------------------------------------------------
//
// SWF files, uncompressed (FWS), zlib (CWS) or LZMA (ZWS), at most kMaxFlashBytes once
// decompressed and kMaxFlashTags tags. Frames are drawn on the host clock at the file's rate:
// the background colour and the shapes on the display list (solid fills, line styles, straight
// and curved edges, matrices and colour transforms) with cairo. Anything else is skipped and
// named in the instance's view.

constexpr std::size_t kMaxFlashBytes = 16u * 1024 * 1024;
constexpr int kMaxFlashTags = 100000;

struct FlashView {
    int handle;
    std::string path;
    int gc;
    int flags;
    int x, y, width, height;
    std::string state;  // "playing", "paused", "stopped", "ended"
    int frame;          // frame shown last, from 0
    int frameCount;
    int volumeLevel;
    bool soundOn;
    int soundPriority;
    int soundPath;
    int repeatMode;
    std::vector<std::string> skipped;  // tags met and not drawn, by name, each once
    int videoPlayer;                   // WmeGetFlashInfo's players, -1 for none
    int audioPlayer;
};
std::vector<FlashView> FlashInstances();

// ---- Style sets ----------------------------------------------------------------------------
//
// The current style set comes from a JSON theme file:
//   {"name": "...", "items": [{"id": 4097, "color": "#FF336699", "opacity": 255}, ...]}
// `id` is a number (or a "0x..." string), `color` "#RRGGBB" (opaque) or "#AARRGGBB", `opacity`
// the item's own level (default 255). Derivations (WsGetStyleItemDerivativeColor): method 0 the
// colour as is, 1 lighter (each channel `value` percent of the way to 255), 2 darker (`value`
// percent of the way to 0); value is clamped to 0..100; the alpha byte is kept.
// Reset loads the default theme shipped beside the host library ("share/callsvc/theme.json"
// next to its folder, or $TMXHOST_THEME).

// Makes the theme current. On any error (missing file, bad JSON, bad item) the current theme
// stays and `error` names the file and the problem.
bool LoadTheme(const std::string& path, std::string* error = nullptr);
std::string DefaultThemePath();

}  // namespace tmxhost
