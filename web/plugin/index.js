// Quorlin as a Web Audio Module: the legato portamento of the channel bank for any WAM host.
// The folder is served as it is; everything it loads lies beside this file.
import { WebAudioModule } from './sdk.js';
import QuorlinNode from './QuorlinNode.js';

const here = (name) => new URL(name, import.meta.url).href;

export default class QuorlinModule extends WebAudioModule {
    constructor(groupId, audioContext) {
        super(groupId, audioContext);
        this._descriptorUrl = here('descriptor.json');
        this._guiModuleUrl = here('gui.js');
    }

    // `state`, where given, is one that getState answered.
    async initialize(state) {
        // The SDK's default descriptor claims every kind of input and output.
        await this._loadDescriptor();
        const response = await fetch(here('quorlin-bank.wasm'));
        if (!response.ok) {
            throw new Error(`Quorlin: quorlin-bank.wasm could not be loaded (${response.status})`);
        }
        const bankModule = await response.arrayBuffer();
        await QuorlinNode.addModules(this.audioContext, this.moduleId);
        const node = new QuorlinNode(this, bankModule);
        await node._initialize();
        this.audioNode = node;
        if (state) {
            await node.setState(state);
        }
        this.initialized = true;
        return this;
    }

    // The parameters with their values, as the processor holds them.
    async getState() {
        return this.audioNode.getState();
    }

    async setState(state) {
        return this.audioNode.setState(state);
    }
}
