/*
 * emu48dll.h - the calculator library's twelve C functions.
 *
 * The editor drives one emulated HP 48/49/50 calculator that lives in its own
 * process, inside the shared library `emu48`. These twelve functions, and one
 * of this library's own at the end (the memory budget), are the whole
 * contract between the two; nothing else crosses. Everything has a plain
 * C ABI so that the editor (or any other program) binds to it at load time.
 *
 * Values: paths are zero-terminated 8-bit strings (UTF-8 on Linux); every other
 * argument and result is a 32-bit integer.
 *
 * The library keeps at most one calculator at a time (the "emulator"). It has
 * one top-level window, a QWidget whose objectName is "QEmu48"; it is created
 * hidden, and the editor finds it among the application's top-level widgets to
 * show or hide it. The window exists only when a QApplication runs in the
 * process; without one the calculator still runs, with no window.
 *
 * Threads: the calculator computes on a thread of its own, so every function
 * here returns at once (apart from EmuLoadObject/EmuSaveObject, which wait
 * briefly for the calculator to take or give the object). Any function may be
 * called from any thread, but EmuCreate, EmuCreateEx, EmuStop and EmuDestroy
 * must come from the thread that owns the QApplication when one exists (they
 * create and destroy the window). The close and document notifications are
 * called on that same user-interface thread, from the window's own event
 * handling.
 *
 * Usual order: EmuCreate or EmuCreateEx; on success EmuCallBackClose,
 * EmuCallBackDebugNotify (null), EmuCallBackDocumentNotify; then loads, saves,
 * keys and register reads; at the end EmuStop, then EmuDestroy.
 */
#ifndef EMU48DLL_H
#define EMU48DLL_H

#include <stdint.h>

#if defined(_WIN32)
#define EMU48_API __declspec(dllimport)
#else
#define EMU48_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Model letters returned in the low byte of EmuCalculatorType(). "G" is the
 * 48 series (HP 48GX); "2", "P", "Q" and "X" are the 49 family ("Q" the
 * 49g+/50g, "X" the 49G). This library builds "G", "Q" and "X" calculators;
 * the state file decides which. */
#define EMU48_MODEL_48GX 'G'
#define EMU48_MODEL_49GPLUS '2'
#define EMU48_MODEL_48GII 'P'
#define EMU48_MODEL_50G 'Q'
#define EMU48_MODEL_49G 'X'

/* The register that tells whether the calculator is ready, and its bit. */
#define EMU48_READY_REGISTER 28
#define EMU48_READY_BIT 0x8000

/* EmuSimulateKey's first argument. */
#define EMU48_KEY_PRESSED (-1)
#define EMU48_KEY_RELEASED 0

/* Notification procedures. */
typedef void (*Emu48CloseProc)(void);
/* Called when a program running in the calculator halts (HALT, or the end of a
 * single step); reason is 0 for a halt. Callers may always pass null. */
typedef void (*Emu48DebugNotifyProc)(int32_t reason);
/* Called with the full path of the state file the calculator now uses. */
typedef void (*Emu48DocumentNotifyProc)(const char *stateFile);

/*
 * Creates the calculator from a state file (.e48 for the 48GX, .e49 for the
 * 49 family; the file's own content names the model). A relative name is
 * resolved against the process's working directory at the time of the call
 * (the editor makes its "EMU" folder the working directory first); the
 * calculator remembers the full path, so later saves go to the same file
 * whatever the working directory is then.
 * Result: 0 = created and running; any other value = failed (the file is
 * missing, unreadable or not a state file, or a calculator already exists),
 * and nothing was created.
 */
EMU48_API int32_t EmuCreate(const char *stateFile);

/*
 * As EmuCreate, with a port-1 image (.bin): the plug-in card of the 48 series,
 * read from portFile (relative names resolve as for the state file) and
 * written back to it with the state. A null or empty portFile means no card.
 * For a 49 family state file the port file is ignored. A port file that is
 * missing or damaged makes the creation fail (result non-zero).
 */
EMU48_API int32_t EmuCreateEx(const char *stateFile, const char *portFile);

/*
 * Stops the calculator: a running program is interrupted and the calculator
 * thread ends; the state file is not written. Harmless when nothing was
 * created or it is already stopped. Normally followed at once by EmuDestroy.
 */
EMU48_API void EmuStop(void);

/*
 * Ends the calculator: stops it if EmuStop was not called, closes and frees
 * its window, forgets the notifications. Harmless when nothing was created or
 * it was already destroyed. May be called from inside the close notification.
 */
EMU48_API void EmuDestroy(void);

/*
 * Puts the object of a binary object file ("HPHP48-" or "HPHP49-" header,
 * nibbles packed low nibble first) on stack level 1, as a transfer into the
 * calculator does. Waits (up to a few seconds) for the calculator to be idle.
 * Result: 0 = loaded; non-zero = no calculator, the calculator is busy, the
 * file cannot be read, or it holds no object the calculator understands.
 */
EMU48_API int32_t EmuLoadObject(const char *objectFile);

/*
 * Writes stack level 1 as a binary object file with the calculator's own
 * header ("HPHP48-" on the 48GX, "HPHP49-" on the 49 family, then one letter),
 * replacing the file. Level 1 stays on the stack. Result: 0 = saved; non-zero = no
 * calculator, the calculator is busy, the stack is empty, or the file cannot
 * be written.
 */
EMU48_API int32_t EmuSaveObject(const char *objectFile);

/*
 * Presses (pressed = -1, or any non-zero value) or releases (pressed = 0) the
 * key at keyboard-matrix output line outLine (0 to 8) and input mask inMask
 * (1 << n for input bit n, 0 to 15; bit 15 of line 0 is ON). A press is
 * queued even when the calculator is busy and is taken in order; pressing ON
 * while a program runs interrupts it. Keys outside the matrix are ignored.
 */
EMU48_API void EmuSimulateKey(int32_t pressed, int32_t outLine, int32_t inMask);

/*
 * Reads a CPU register. Only register 28 means something: bit 15 (0x8000) is
 * set exactly while the calculator is idle, waiting for a key, with no key
 * pending (no program running, no key queued). Every other register, and
 * every register while no calculator exists, reads 0.
 */
EMU48_API uint32_t EmuGetRegister(int32_t registerNumber);

/*
 * The model letter in the low byte ('G', 'Q', 'X', see above); 0 when no
 * calculator exists. Safe from any thread.
 */
EMU48_API int32_t EmuCalculatorType(void);

/*
 * Notification when the calculator closes: the user closed its window (its
 * Close command or the window's close button). Called on the user-interface
 * thread after the window is gone from the screen; the procedure may call
 * EmuStop and EmuDestroy. Null removes it. Forgotten by EmuDestroy.
 */
EMU48_API void EmuCallBackClose(Emu48CloseProc proc);

/*
 * Notification when a running program halts (see Emu48DebugNotifyProc).
 * Null removes it; the editor always passes null.
 */
EMU48_API void EmuCallBackDebugNotify(Emu48DebugNotifyProc proc);

/*
 * Notification when the calculator switches to another state file (the
 * window's Open state file or Save state as), with that file's full path.
 * Called on the user-interface thread; the calculator already runs the new
 * state, so EmuCalculatorType() gives its model. Null removes it.
 */
EMU48_API void EmuCallBackDocumentNotify(Emu48DocumentNotifyProc proc);

/*
 * Beyond the twelve, this library's own: the calculator's memory budget in
 * MiB (every object counts against it; past it a program stops with
 * "Insufficient Memory" and the calculator stays usable). Values outside
 * 1..3072 are brought inside. It holds for the process, from the next
 * object made on; any thread. Result: the budget now in force, in MiB.
 */
#define EMU48_DEFAULT_MEMORY_MIB 256
EMU48_API int32_t EmuSetMemoryBudget(int32_t mebibytes);

#ifdef __cplusplus
}
#endif

#endif /* EMU48DLL_H */
