/* A Windows user-mode MIDI output driver for tests: it plays nothing and appends one line for
 * every call it gets to the file TASTIVA_RECORDER_LOG names, so a test sees the exact bytes a
 * program sent. Under Wine one copy is loaded as the MIDI mapper (midimap.dll) and one as the
 * audio driver whose MIDI outputs are the numbered devices (wine<name>.drv), with
 *   TASTIVA_RECORDER_DEVICES  how many numbered devices it has (default 1)
 *   TASTIVA_RECORDER_REFUSE   the opens it refuses with MMSYSERR_ALLOCATED: "mapper" and device
 *                             numbers, separated by spaces
 * Lines: "<who> <call> [details]", who being "mapper" or the device number, e.g.
 *   mapper open / 0 data 90 3c 7f / 1 open refused / 0 close */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
/* After windows.h. */
#include <mmddk.h>
#include <mmsystem.h>

/* winmm exports it; MinGW's headers do not declare it. */
BOOL WINAPI DriverCallback(DWORD_PTR callback, DWORD flags, HDRVR device, DWORD message,
                           DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2);

static HMODULE self;
static BOOL is_mapper;

static void env(const char* name, char* value, DWORD size) {
  DWORD length = GetEnvironmentVariableA(name, value, size);
  if (length == 0 || length >= size) value[0] = '\0';
}

/* Opened and closed for every line, so the copies' lines (and processes') interleave whole. */
static void record(const char* format, ...) {
  char path[MAX_PATH], line[512];
  env("TASTIVA_RECORDER_LOG", path, sizeof path);
  if (!path[0]) return;
  va_list args;
  va_start(args, format);
  int length = vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (length < 0) return;
  if (length > (int)sizeof line - 2) length = (int)sizeof line - 2;
  line[length++] = '\n';
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, line, (DWORD)length, &written, NULL);
  CloseHandle(file);
}

static void who(UINT device, char* name, size_t size) {
  if (is_mapper) {
    snprintf(name, size, "mapper");
  } else {
    snprintf(name, size, "%u", device);
  }
}

static UINT device_count(void) {
  char value[16];
  if (is_mapper) return 1;
  env("TASTIVA_RECORDER_DEVICES", value, sizeof value);
  return value[0] ? (UINT)strtoul(value, NULL, 10) : 1;
}

static BOOL refused(const char* name) {
  char list[256];
  env("TASTIVA_RECORDER_REFUSE", list, sizeof list);
  for (char* word = strtok(list, " ,"); word; word = strtok(NULL, " ,")) {
    if (strcmp(word, name) == 0) return TRUE;
  }
  return FALSE;
}

/* A short message as the bytes a MIDI cable would carry: the status says how many; any other
 * bit set in the word is shown too. */
static void record_data(const char* name, DWORD word) {
  const BYTE status = (BYTE)(word & 0xFF);
  int length = 3;
  if ((status & 0xE0) == 0xC0 || status == 0xF1 || status == 0xF3) length = 2;
  if (status >= 0xF4 || status == 0xF6) length = 1;
  char bytes[16] = "";
  for (int i = 0; i < length; ++i) {
    snprintf(bytes + 3 * i, sizeof bytes - 3 * i, "%02x ", (unsigned)((word >> (8 * i)) & 0xFF));
  }
  bytes[3 * length - 1] = '\0';
  const DWORD rest = length == 3 ? word >> 24 : word >> (8 * length);
  if (rest) {
    record("%s data %s (word %08lx)", name, bytes, (unsigned long)word);
  } else {
    record("%s data %s", name, bytes);
  }
}

static DWORD get_caps(UINT device, MIDIOUTCAPSW* caps, DWORD_PTR size) {
  MIDIOUTCAPSW filled;
  memset(&filled, 0, sizeof filled);
  filled.wMid = 0xFF;
  filled.wPid = 1;
  filled.vDriverVersion = 0x0100;
  if (is_mapper) {
    lstrcpynW(filled.szPname, L"Recorder Mapper", MAXPNAMELEN);
    filled.wTechnology = MOD_MAPPER;
  } else {
    _snwprintf(filled.szPname, MAXPNAMELEN, L"Recorder %u", device);
    filled.wTechnology = MOD_MIDIPORT;
  }
  filled.wChannelMask = 0xFFFF;
  memcpy(caps, &filled, min(size, sizeof filled));
  return MMSYSERR_NOERROR;
}

static void notify(const MIDIOPENDESC* desc, DWORD flags, UINT message, DWORD_PTR param) {
  DriverCallback(desc->dwCallback, HIWORD(flags), (HDRVR)desc->hMidi, message, desc->dwInstance,
                 param, 0);
}

/* What an open keeps for its handle: the description and the open's flags. */
struct opened {
  MIDIOPENDESC desc;
  DWORD flags;
};

__declspec(dllexport) DWORD WINAPI
    modMessage(UINT device, UINT message, DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2) {
  char name[16];
  who(device, name, sizeof name);
  /* For an open, user points to where the instance goes; afterwards it is the instance. */
  struct opened* open = message == MODM_OPEN ? NULL : (struct opened*)user;
  switch (message) {
    case DRVM_INIT:
    case DRVM_EXIT:
    case DRVM_ENABLE:
    case DRVM_DISABLE:
      record("%s driver message %u", name, message);
      return MMSYSERR_NOERROR;
    case MODM_GETNUMDEVS:
      record("%s getnumdevs", name);
      return device_count();
    case MODM_GETDEVCAPS:
      record("%s getdevcaps", name);
      return get_caps(device, (MIDIOUTCAPSW*)param1, param2);
    case MODM_OPEN: {
      if (refused(name)) {
        record("%s open refused", name);
        return MMSYSERR_ALLOCATED;
      }
      record("%s open", name);
      open = (struct opened*)calloc(1, sizeof *open);
      if (!open) return MMSYSERR_NOMEM;
      open->desc = *(const MIDIOPENDESC*)param1;
      open->flags = (DWORD)param2;
      *(DWORD_PTR*)user = (DWORD_PTR)open;
      notify(&open->desc, open->flags, MOM_OPEN, 0);
      return MMSYSERR_NOERROR;
    }
    case MODM_CLOSE:
      record("%s close", name);
      if (open) {
        notify(&open->desc, open->flags, MOM_CLOSE, 0);
        free(open);
      }
      return MMSYSERR_NOERROR;
    case MODM_DATA:
      record_data(name, (DWORD)param1);
      return MMSYSERR_NOERROR;
    case MODM_LONGDATA: {
      MIDIHDR* header = (MIDIHDR*)param1;
      char bytes[3 * 64 + 8] = "";
      const DWORD shown = min(header->dwBufferLength, 64);
      for (DWORD i = 0; i < shown; ++i) {
        snprintf(bytes + 3 * i, sizeof bytes - 3 * i, " %02x", (BYTE)header->lpData[i]);
      }
      record("%s longdata%s%s", name, bytes, header->dwBufferLength > shown ? " ..." : "");
      header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
      if (open) notify(&open->desc, open->flags, MOM_DONE, (DWORD_PTR)header);
      return MMSYSERR_NOERROR;
    }
    case MODM_RESET:
      record("%s reset", name);
      return MMSYSERR_NOERROR;
    default:
      record("%s message %u %llx %llx", name, message, (unsigned long long)param1,
             (unsigned long long)param2);
      return MMSYSERR_NOTSUPPORTED;
  }
}

__declspec(dllexport) LRESULT WINAPI
    DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM param1, LPARAM param2) {
  switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_OPEN:
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE:
      return 1;
    case DRV_INSTALL:
    case DRV_REMOVE:
      return DRV_OK;
    case DRV_QUERYCONFIGURE:
      return 0;
    default:
      return DefDriverProc(id, driver, message, param1, param2);
  }
}

/* What Wine's mmdevapi needs of an audio driver before winmm takes its MIDI devices: a
 * priority above "unavailable", and no audio endpoints. */
__declspec(dllexport) int WINAPI GetPriority(void) {
  return 2; /* Priority_Neutral */
}

__declspec(dllexport) HRESULT WINAPI
    GetEndpointIDs(int flow, WCHAR*** ids, GUID** guids, UINT* count, UINT* default_index) {
  (void)flow;
  *ids = NULL;
  *guids = NULL;
  *count = 0;
  *default_index = 0;
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI GetAudioEndpoint(void* key, void* device, void** client) {
  (void)key;
  (void)device;
  *client = NULL;
  return E_NOTIMPL;
}

__declspec(dllexport) HRESULT WINAPI GetAudioSessionManager(void* device, void** manager) {
  (void)device;
  *manager = NULL;
  return E_NOTIMPL;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    self = instance;
    DisableThreadLibraryCalls(instance);
    GetModuleFileNameW(self, path, MAX_PATH);
    const wchar_t* base = wcsrchr(path, L'\\');
    is_mapper = _wcsnicmp(base ? base + 1 : path, L"midimap", 7) == 0;
  }
  return TRUE;
}
