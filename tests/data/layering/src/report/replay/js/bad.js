import fs from 'node:fs';
import "./ok.js";
import { core } from "../../../driver/web/js/core.js";
import {
    loader,
} from '../../../formats/loader.js';
export { dom } from "./dom.js";
