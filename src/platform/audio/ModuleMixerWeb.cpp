// The mixer's output device in a browser page: a Web Audio context whose script processor
// pulls the mix through Callback on the page's thread, between the page's other tasks, so
// Lock/Unlock have nothing to guard. A page may start sound only after a user gesture: the
// show starts it from its Run button.
#include "platform/audio/ModuleMixer.h"

#include <emscripten/emscripten.h>

namespace cm {

bool ModuleMixer::Open(uint32_t rateHz) {
    if (device_ != 0 || rateHz < 8000 || rateHz > 192000) return false;
    PrepareBuffers(rateHz);
    const int opened = EM_ASM_INT({
        const Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) return 0;
        try {
            const context = new Context({sampleRate: $0});
            const node = context.createScriptProcessor($1, 0, 2);
            const mix = Module._malloc($1 * 8);
            node.onaudioprocess = (event) => {
                const left = event.outputBuffer.getChannelData(0);
                const right = event.outputBuffer.getChannelData(1);
                const frames = Math.min(left.length, $1);
                Module._cm_web_audio_pull($2, mix, frames);
                const samples = HEAPF32.subarray(mix >> 2, (mix >> 2) + frames * 2);
                for (let i = 0; i < frames; ++i) {
                    left[i] = samples[2 * i];
                    right[i] = samples[2 * i + 1];
                }
            };
            node.connect(context.destination);
            context.suspend();
            Module.cmAudioOutput = ({context: context, node: node, mix: mix});
            return 1;
        } catch (e) {
            return 0;
        }
    }, rateHz, kBufferFrames, this);
    if (opened == 0) return false;
    device_ = 1;
    return true;
}

bool ModuleMixer::Start() {
    if (device_ == 0) return false;
    EM_ASM({ Module.cmAudioOutput.context.resume(); });
    return true;
}

bool ModuleMixer::Stop() {
    if (device_ == 0) return false;
    EM_ASM({ Module.cmAudioOutput.context.suspend(); });
    return true;
}

void ModuleMixer::Close() {
    if (device_ == 0) return;
    EM_ASM({
        const output = Module.cmAudioOutput;
        output.node.onaudioprocess = null;
        output.node.disconnect();
        output.context.close();
        Module._free(output.mix);
        Module.cmAudioOutput = null;
    });
    device_ = 0;
    FreeModules();
}

void ModuleMixer::Lock() {}
void ModuleMixer::Unlock() {}

}  // namespace cm

// The page's script processor calls this for every buffer it plays.
extern "C" EMSCRIPTEN_KEEPALIVE void cm_web_audio_pull(void* mixer, float* out, int frames) {
    cm::ModuleMixer::Callback(mixer, reinterpret_cast<uint8_t*>(out), frames * 2 * static_cast<int>(sizeof(float)));
}
