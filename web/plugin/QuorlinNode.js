// The plug-in's audio node: the SDK's WamNode over Quorlin's processor. It takes and gives no
// audio; a node without outputs is run by the browser whether or not anything is connected.
import { WamNode, addFunctionModule } from './sdk.js';
import getQuorlinProcessor from './QuorlinProcessor.js';
import { parameterConfigurations } from './Parameters.js';

export default class QuorlinNode extends WamNode {
    // The SDK's processor scripts and Quorlin's, once per context and module identifier.
    static async addModules(audioContext, moduleId) {
        await super.addModules(audioContext, moduleId);
        await addFunctionModule(audioContext.audioWorklet, getQuorlinProcessor, moduleId);
    }

    // `bankModule`: the bytes of quorlin-bank.wasm, compiled again in the worklet.
    constructor(module, bankModule) {
        super(module, {
            // Web Audio wants one of the two; an input left unconnected is silence.
            numberOfInputs: 1,
            numberOfOutputs: 0,
            processorOptions: { bankModule, parameterConfigurations },
        });
    }
}
